#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/CArchiveException.h"
#include "orvcore/core/CFile.h"
#include "orvcore/core/CString.h"
#include "orvcore/core/Types.h"

/// \file
/// CArchive, the binary archive documents are written and read with.
#include <cstring>
#include <memory>

namespace Orvane {

/// The object schema of an archive whose schema was never set: all bits set.
/// Each archive form reads it by its own comparison: a signed one sees -1 (older
/// than every version), an unsigned one the largest value.
constexpr UINT kUnsetSchema = 0xFFFFFFFFu;
/// The newest document version: the schema that the library's own documents
/// and defaults store under.
constexpr UINT kNewestSchema = 13;

} // namespace Orvane

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "CArchive writes host images of scalars and needs a little-endian machine"
#endif

/// A buffered binary archive over a CFile, byte-compatible with the host
/// framework's: scalars are their little-endian images without tags, counts
/// and strings use the framework's length prefixes. Reading past the end, or a
/// length that is more than the file can still supply, throws
/// CArchiveException(endOfFile) before anything is allocated for it.
///
/// \threadsafety{An archive has a buffer and a position: one archive is used by one thread at a
/// time; distinct archives on distinct files may be used at once.}
class ORVCORE_API CArchive
{
public:
    /// Direction of an archive; bNoFlushOnDelete may be added to either.
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    /// An archive that stores into, or loads from, file (which it does not own) through
    /// a buffer of bufferSize bytes (at least 128); a caller's buffer of that size may be
    /// given, else the archive allocates its own.
    CArchive(CFile* file, UINT mode, int bufferSize = 4096, void* buffer = nullptr);
    /// Ends the archive as Close would (a failed write is not reported here; call Close
    /// to see it), unless bNoFlushOnDelete was given.
    ~CArchive();
    /// Not copyable.
    ///@{
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    ///@}

    /// True for an archive made with load.
    bool IsLoading() const { return (m_mode & load) != 0; }
    /// True for an archive made with store.
    bool IsStoring() const { return !IsLoading(); }
    /// The file the archive works on; null after Close or Abort.
    CFile* GetFile() const { return m_file; }

    /// Returns the document version and resets it to unset (all bits set), as
    /// the framework's archive does: whatever is stored afterwards takes the
    /// oldest layouts. Read m_nObjectSchema instead, as the library does.
    UINT GetObjectSchema();
    /// Sets the document version read by the archive forms (Orvane::kUnsetSchema: unset).
    void SetObjectSchema(UINT schema) { m_nObjectSchema = schema; }
    UINT m_nObjectSchema = Orvane::kUnsetSchema; ///< The document version the classes' archive forms read; unset (Orvane::kUnsetSchema) by default.

    /// A storing archive writes what it buffered to the file and flushes the file (a
    /// failure passes through as CFileException); a loading one gives back
    /// the bytes it buffered but did not use, so the file's position is where reading
    /// stopped.
    void Flush();
    /// Flushes, then detaches from the file: any later value is refused with
    /// CArchiveException(genericException). A failed write (CFileException) is
    /// thrown after the archive has detached.
    void Close();
    /// Detaches from the file without flushing; buffered bytes are dropped.
    void Abort();

    /// Raw blocks. Read returns how many bytes it could read (fewer at the end).
    UINT Read(void* buffer, UINT count);
    /// Writes count bytes.
    void Write(const void* buffer, UINT count);
    /// Blocks of any size, passed on in pieces that a UINT can count.
    /// ReadFully throws CArchiveException(endOfFile) unless every byte arrives.
    void ReadFully(void* buffer, std::size_t count);
    /// Writes count bytes, however many that is.
    void WriteFully(const void* buffer, std::size_t count);

    /// Writes an element count: below 0xFFFF as a WORD, else 0xFFFF then a DWORD.
    void WriteCount(DWORD count);
    /// Reads a count: a WORD, or 0xFFFF followed by a DWORD.
    DWORD ReadCount();

    /// Bytes that a load can still read: what is buffered plus the rest of the file.
    ULONGLONG GetBytesAvailable() const;
    /// Throws CArchiveException(endOfFile) unless at least `bytes` remain.
    void RequireAvailable(ULONGLONG bytes) const;
    /// Reads a count (ReadCount) for `elementSize`-byte elements and throws
    /// CArchiveException(endOfFile) unless the archive can still supply them all.
    DWORD ReadCheckedCount(std::size_t elementSize);

    /// Stores the value's little-endian image (1, 2, 4 or 8 bytes). On a loading archive
    /// this throws CArchiveException(readOnly); after Close, genericException.
    ///@{
    CArchive& operator<<(BYTE v) { return Put(v); }
    CArchive& operator<<(char v) { return Put(v); }
    CArchive& operator<<(WORD v) { return Put(v); }
    CArchive& operator<<(short v) { return Put(v); }
    CArchive& operator<<(int v) { return Put(v); }
    CArchive& operator<<(unsigned int v) { return Put(v); }
    CArchive& operator<<(float v) { return Put(v); }
    CArchive& operator<<(double v) { return Put(v); }
    ///@}

    /// Loads a value stored by the matching operator<<. Fewer bytes than the value's
    /// width left raise CArchiveException(endOfFile); on a storing archive this throws
    /// CArchiveException(writeOnly); after Close, genericException.
    ///@{
    CArchive& operator>>(BYTE& v) { return Get(v); }
    CArchive& operator>>(char& v) { return Get(v); }
    CArchive& operator>>(WORD& v) { return Get(v); }
    CArchive& operator>>(short& v) { return Get(v); }
    CArchive& operator>>(int& v) { return Get(v); }
    CArchive& operator>>(unsigned int& v) { return Get(v); }
    CArchive& operator>>(float& v) { return Get(v); }
    CArchive& operator>>(double& v) { return Get(v); }
    ///@}

    /// No 8-byte integers reach a document, and a bool must say its width.
    ///@{
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
    ///@}

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

/// Stores a string: its length (one byte below 0xFF; else 0xFF and a WORD below
/// 0xFFFE; else 0xFF, 0xFFFF and a DWORD), then its bytes without a terminator.
ORVCORE_API CArchive& operator<<(CArchive& ar, const CString& s);
/// Loads a string stored by operator<< or by a host build of 16-bit characters
/// (0xFF 0xFFFE prefix, converted from UTF-16 to UTF-8). A length longer than what
/// the archive holds raises CArchiveException(endOfFile) before memory is allocated.
ORVCORE_API CArchive& operator>>(CArchive& ar, CString& s);
