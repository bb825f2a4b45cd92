#include "orvcore/core/CFile.h"

#include <cerrno>
#include <limits>
#include <sys/types.h>
#include <unistd.h>

CFileException CFileException::FromErrno(int error)
{
#ifdef EDQUOT
    const bool full = error == ENOSPC || error == EDQUOT;
#else
    const bool full = error == ENOSPC;
#endif
    return CFileException(full ? diskFull : genericException, static_cast<LONG>(error));
}

namespace {

[[noreturn]] void ThrowSystemError()
{
    throw CFileException::FromErrno(errno);
}

// Writes out what the stream buffered; every operation that moves or measures
// the file goes through here so that a failed write is never lost.
void FlushStream(std::FILE* file)
{
    if (std::fflush(file) != 0)
        ThrowSystemError();
}

} // namespace

CFile::~CFile()
{
    if (m_file)
        std::fclose(m_file);
}

bool CFile::Open(const char* fileName, UINT openFlags)
{
    Close();
    const bool create = (openFlags & modeCreate) != 0;
    const bool keep = (openFlags & modeNoTruncate) != 0;
    const UINT access = openFlags & 3;
    const char* mode = "rb";
    if (access == modeWrite || access == modeReadWrite) {
        if (create && !keep)
            mode = access == modeWrite ? "wb" : "w+b";
        else
            mode = "r+b";
    }
    m_file = std::fopen(fileName, mode);
    if (!m_file && create && keep)
        m_file = std::fopen(fileName, "w+b");
    return m_file != nullptr;
}

void CFile::Close()
{
    if (m_file) {
        std::FILE* f = m_file;
        m_file = nullptr; // released whatever happens below
        errno = 0;
        const bool flushed = std::fflush(f) == 0;
        const int flushError = errno;
        if (std::fclose(f) != 0 || !flushed)
            throw CFileException::FromErrno(flushed ? errno : flushError);
    }
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (!m_file || count == 0)
        return 0;
    return static_cast<UINT>(std::fread(buffer, 1, count, m_file));
}

void CFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    if (!m_file)
        throw CFileException(CFileException::genericException);
    if (std::fwrite(buffer, 1, count, m_file) != count)
        ThrowSystemError();
}

// Offsets are 64 bits on every build: the project compiles with
// _FILE_OFFSET_BITS=64, so off_t and fseeko/ftello reach past 2 GiB in 32-bit
// builds as well.
static_assert(sizeof(off_t) >= 8, "CFile needs 64-bit file offsets");

ULONGLONG CFile::Seek(long long offset, UINT from)
{
    if (!m_file)
        throw CFileException(CFileException::genericException);
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    FlushStream(m_file);
    if (fseeko(m_file, static_cast<off_t>(offset), whence) != 0) {
        if (errno == EINVAL || errno == EOVERFLOW)
            throw CFileException(CFileException::badPath, errno);
        ThrowSystemError();
    }
    return GetPosition();
}

ULONGLONG CFile::GetPosition() const
{
    if (!m_file)
        return 0;
    off_t pos = ftello(m_file);
    return pos < 0 ? 0 : static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const
{
    if (!m_file)
        return 0;
    FlushStream(m_file);
    const off_t pos = ftello(m_file);
    if (pos < 0 || fseeko(m_file, 0, SEEK_END) != 0)
        ThrowSystemError();
    const off_t length = ftello(m_file);
    if (length < 0 || fseeko(m_file, pos, SEEK_SET) != 0)
        ThrowSystemError();
    return static_cast<ULONGLONG>(length);
}

void CFile::SetLength(ULONGLONG length)
{
    if (!m_file)
        throw CFileException(CFileException::genericException);
    if (length > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max()))
        throw CFileException(CFileException::badPath, EFBIG);
    FlushStream(m_file);
    if (ftruncate(fileno(m_file), static_cast<off_t>(length)) != 0)
        ThrowSystemError();
}

void CFile::Flush()
{
    if (m_file)
        FlushStream(m_file);
}
