#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/Types.h"

#include <cstdio>
/// \file
/// CFile, a disk file with a position, and CFileException.

/// A byte file with a position, as the framework's file class: a disk file
/// here, with CMemFile as the in-memory kind. Archives read and write through
/// the virtual members, one block at a time.
///
/// \threadsafety{A file has a position: one object is used by one thread at a time; distinct
/// objects may be used at once.}
class ORVCORE_API CFile
{
public:
    /// Flags of Open, combined with `|`: access (modeRead, modeWrite, modeReadWrite),
    /// sharing (accepted and ignored), modeCreate (create, or truncate an existing file)
    /// and modeNoTruncate (with modeCreate: keep an existing file, create a missing one).
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    /// Origins of Seek.
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    /// A closed file.
    CFile() = default;
    virtual ~CFile();
    /// Not copyable.
    ///@{
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ///@}

    /// Opens a disk file; returns false (and stays closed) when it cannot.
    virtual bool Open(const char* fileName, UINT openFlags);
    /// Closes the file (nothing happens when none is open); a failed close throws CFileException.
    virtual void Close();
    /// True while a disk file is open.
    bool IsOpen() const { return m_file != nullptr; }

    /// Reads up to count bytes and returns how many were read (0 at the end).
    virtual UINT Read(void* buffer, UINT count);
    /// Writes count bytes; a failed write throws CFileException.
    virtual void Write(const void* buffer, UINT count);
    /// Moves the position to offset bytes from `from` (begin, current or end) and
    /// returns the new position; a failed seek throws CFileException. Offsets,
    /// positions and lengths are 64 bits on every build, 32-bit ones included.
    virtual ULONGLONG Seek(long long offset, UINT from);
    /// The current position in bytes from the start.
    virtual ULONGLONG GetPosition() const;
    /// The file's length in bytes.
    virtual ULONGLONG GetLength() const;
    /// Writes buffered bytes out to the file.
    virtual void Flush();

    /// Moves to the start.
    void SeekToBegin() { Seek(0, begin); }
    /// Moves to the end and returns the length.
    ULONGLONG SeekToEnd() { return Seek(0, end); }

private:
    std::FILE* m_file = nullptr;
};

/// The framework's file error, raised when a disk operation fails.
///
/// \valuethreads
class ORVCORE_API CFileException
{
public:
    /// The error's kind.
    enum Cause { none, genericException, fileNotFound, badPath, accessDenied, diskFull, endOfFile };
    /// An exception of the given cause (one of Cause).
    explicit CFileException(int cause = none) : m_cause(cause) {}
    int m_cause; ///< What went wrong: one of Cause.
};
