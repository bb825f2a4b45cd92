#pragma once

#include "orvcore/core/CFile.h"

#include <memory>
#include <vector>

// A growable file in memory. Writing past the end extends it; the bytes can
// be read back through an archive or inspected directly with GetData.
class ORVCORE_API CMemFile : public CFile
{
public:
    explicit CMemFile(UINT growBytes = 1024);
    // A file holding a copy of the given bytes, positioned at its start.
    CMemFile(const BYTE* data, UINT size, UINT growBytes = 0);
    ~CMemFile() override;

    bool Open(const char*, UINT) override { return false; }
    void Close() override {}
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(long long offset, UINT from) override;
    ULONGLONG GetPosition() const override { return m_position; }
    ULONGLONG GetLength() const override { return m_size; }
    void Flush() override {}

    void SetLength(ULONGLONG length);
    const BYTE* GetData() const { return m_buffer.get(); }
    // The file's contents as a vector of bytes.
    std::vector<BYTE> GetBytes() const { return std::vector<BYTE>(m_buffer.get(), m_buffer.get() + m_size); }

private:
    void Reserve(std::size_t capacity);
    // The byte count `bytes` as a size in memory; std::bad_alloc when it is beyond the address space.
    static std::size_t MemorySize(ULONGLONG bytes);

    // Raw storage: growing does not clear bytes that a write fills at once.
    std::unique_ptr<BYTE[]> m_buffer;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    // A file offset, 64 bits on every build: a seek may go past what memory
    // can hold; only a write there is refused.
    ULONGLONG m_position = 0;
};
