#pragma once

#include "orvcore/core/CFile.h"

#include <memory>
#include <vector>
/// \file
/// CMemFile, a growable file in memory.

/// A growable file in memory. Writing past the end extends it; the bytes can
/// be read back through an archive or inspected directly with GetData.
///
/// \threadsafety{A file has a position: one object is used by one thread at a time; distinct
/// objects may be used at once.}
class ORVCORE_API CMemFile : public CFile
{
public:
    /// An empty file that grows in steps of growBytes.
    explicit CMemFile(UINT growBytes = 1024);
    /// A file holding a copy of the given bytes, positioned at its start.
    CMemFile(const BYTE* data, UINT size, UINT growBytes = 0);
    ~CMemFile() override;

    /// A memory file has no name: Open always fails and Close does nothing.
    ///@{
    bool Open(const char*, UINT) override { return false; }
    void Close() override {}
    ///@}
    /// Reads up to count bytes from the position; returns how many were read (0 at the end).
    UINT Read(void* buffer, UINT count) override;
    /// Writes count bytes at the position, extending the file past its end.
    void Write(const void* buffer, UINT count) override;
    /// Moves the position to offset bytes from `from`; a position beyond the end is
    /// allowed (a later write fills the gap with zeros), one before the start or past
    /// the addressable range throws CFileException(badPath).
    ULONGLONG Seek(long long offset, UINT from) override;
    /// The position in bytes from the start.
    ULONGLONG GetPosition() const override { return m_position; }
    /// The length in bytes.
    ULONGLONG GetLength() const override { return m_size; }
    /// Does nothing: there is nothing to flush.
    void Flush() override {}

    /// Truncates, or extends with zero bytes; a position beyond the new end moves to it.
    void SetLength(ULONGLONG length);
    /// The file's bytes (GetLength of them); may be null while the file is empty.
    const BYTE* GetData() const { return m_buffer.get(); }
    /// The file's contents as a vector of bytes.
    std::vector<BYTE> GetBytes() const { return std::vector<BYTE>(m_buffer.get(), m_buffer.get() + m_size); }

private:
    void Reserve(std::size_t capacity);
    // The byte count `bytes` as a size in memory; std::bad_alloc when it is beyond the address space.
    static std::size_t MemorySize(ULONGLONG bytes);

    /// Raw storage: growing does not clear bytes that a write fills at once.
    std::unique_ptr<BYTE[]> m_buffer;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    // A file offset, 64 bits on every build: a seek may go past what memory
    // can hold; only a write there is refused.
    ULONGLONG m_position = 0;
};
