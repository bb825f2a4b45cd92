#pragma once

#include "orvcore/Export.h"
#include "orvcore/core/Types.h"

#include <cstdio>

/// A byte file with a position, as the framework's file class: a disk file
/// here, with CMemFile as the in-memory kind. Archives read and write through
/// the virtual members, one block at a time.
class ORVCORE_API CFile
{
public:
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
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    /// Opens a disk file; returns false (and stays closed) when it cannot.
    virtual bool Open(const char* fileName, UINT openFlags);
    virtual void Close();
    bool IsOpen() const { return m_file != nullptr; }

    /// Reads up to count bytes and returns how many were read (0 at the end).
    virtual UINT Read(void* buffer, UINT count);
    /// Writes count bytes; a failed write throws CFileException.
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG Seek(long long offset, UINT from);
    virtual ULONGLONG GetPosition() const;
    virtual ULONGLONG GetLength() const;
    virtual void Flush();

    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }

private:
    std::FILE* m_file = nullptr;
};

/// The framework's file error, raised when a disk operation fails.
class ORVCORE_API CFileException
{
public:
    enum Cause { none, genericException, fileNotFound, badPath, accessDenied, diskFull, endOfFile };
    explicit CFileException(int cause = none) : m_cause(cause) {}
    int m_cause;
};
