#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/CArchiveException.h"
#include "orvcore/core/CFile.h"
#include "orvcore/core/CString.h"
#include "orvcore/core/Types.h"

#include <cstring>
#include <memory>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "CArchive writes host images of scalars and needs a little-endian machine"
#endif

/// A buffered binary archive over a CFile, byte-compatible with the host
/// framework's: scalars are their little-endian images without tags, counts
/// and strings use the framework's length prefixes. Reading past the end, or a
/// length that is more than the file can still supply, throws
/// CArchiveException(endOfFile) before anything is allocated for it.
class ORVCORE_API CArchive
{
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* file, UINT mode, int bufferSize = 4096, void* buffer = nullptr);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return (m_mode & load) != 0; }
    bool IsStoring() const { return !IsLoading(); }
    CFile* GetFile() const { return m_file; }

    /// The document version the host sets; all bits set means unset. Library
    /// code reads m_nObjectSchema directly; GetObjectSchema resets it to unset.
    UINT GetObjectSchema();
    void SetObjectSchema(UINT schema) { m_nObjectSchema = schema; }
    UINT m_nObjectSchema = 0xFFFFFFFFu;

    void Flush();
    void Close();
    void Abort();

    /// Raw blocks. Read returns how many bytes it could read (fewer at the end).
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    /// Blocks of any size, passed on in pieces that a UINT can count.
    /// ReadFully throws CArchiveException(endOfFile) unless every byte arrives.
    void ReadFully(void* buffer, std::size_t count);
    void WriteFully(const void* buffer, std::size_t count);

    /// Element counts: below 0xFFFF as a WORD, else 0xFFFF then a DWORD.
    void WriteCount(DWORD count);
    DWORD ReadCount();

    /// Bytes that a load can still read: what is buffered plus the rest of the file.
    ULONGLONG GetBytesAvailable() const;
    /// Throws CArchiveException(endOfFile) unless at least `bytes` remain.
    void RequireAvailable(ULONGLONG bytes) const;
    /// A count for `elementSize`-byte elements that the archive can supply.
    DWORD ReadCheckedCount(std::size_t elementSize);

    CArchive& operator<<(BYTE v) { return Put(v); }
    CArchive& operator<<(char v) { return Put(v); }
    CArchive& operator<<(WORD v) { return Put(v); }
    CArchive& operator<<(short v) { return Put(v); }
    CArchive& operator<<(int v) { return Put(v); }
    CArchive& operator<<(unsigned int v) { return Put(v); }
    CArchive& operator<<(float v) { return Put(v); }
    CArchive& operator<<(double v) { return Put(v); }

    CArchive& operator>>(BYTE& v) { return Get(v); }
    CArchive& operator>>(char& v) { return Get(v); }
    CArchive& operator>>(WORD& v) { return Get(v); }
    CArchive& operator>>(short& v) { return Get(v); }
    CArchive& operator>>(int& v) { return Get(v); }
    CArchive& operator>>(unsigned int& v) { return Get(v); }
    CArchive& operator>>(float& v) { return Get(v); }
    CArchive& operator>>(double& v) { return Get(v); }

    /// No 8-byte integers reach a document, and a bool must say its width.
    CArchive& operator<<(bool) = delete;
    CArchive& operator<<(long) = delete;
    CArchive& operator<<(unsigned long) = delete;
    CArchive& operator<<(long long) = delete;
    CArchive& operator<<(unsigned long long) = delete;
    CArchive& operator>>(bool&) = delete;
    CArchive& operator>>(long&) = delete;
    CArchive& operator>>(unsigned long&) = delete;
    CArchive& operator>>(long long&) = delete;
    CArchive& operator>>(unsigned long long&) = delete;

private:
    /// A value in the wrong direction takes the slow path, which refuses it.
    template <typename T>
    CArchive& Put(T v)
    {
        if (m_end - m_cur < static_cast<std::ptrdiff_t>(sizeof v) || IsLoading())
            MakeRoom();
        std::memcpy(m_cur, &v, sizeof v);
        m_cur += sizeof v;
        return *this;
    }

    template <typename T>
    CArchive& Get(T& v)
    {
        if (m_end - m_cur < static_cast<std::ptrdiff_t>(sizeof v) || IsStoring())
            Fill(sizeof v);
        std::memcpy(&v, m_cur, sizeof v);
        m_cur += sizeof v;
        return *this;
    }

    void MakeRoom();
    void Fill(std::size_t needed);
    void CheckMode(bool loading) const;

    CFile* m_file;
    UINT m_mode;
    std::size_t m_size;
    std::unique_ptr<BYTE[]> m_owned;
    BYTE* m_buffer;
    BYTE* m_cur;
    BYTE* m_end; ///< storing: end of the buffer; loading: end of the valid bytes
};

ORVCORE_API CArchive& operator<<(CArchive& ar, const CString& s);
ORVCORE_API CArchive& operator>>(CArchive& ar, CString& s);
