#include "orvcore/core/CArchive.h"

#include <algorithm>
#include <string>

const char* CArchiveException::what() const noexcept
{
    switch (m_cause) {
    case endOfFile:
        return "archive: attempt to read past the end of the document";
    case readOnly:
        return "archive: attempt to write to an archive opened for loading";
    case writeOnly:
        return "archive: attempt to read from an archive opened for storing";
    case badIndex:
        return "archive: invalid file format";
    case badClass:
        return "archive: unexpected object type";
    case badSchema:
        return "archive: unsupported schema";
    default:
        return "archive: error";
    }
}

CArchive::CArchive(CFile* file, UINT mode, int bufferSize, void* buffer)
    : m_file(file), m_mode(mode), m_size(static_cast<std::size_t>(std::max(bufferSize, 128)))
{
    if (buffer && bufferSize >= 128) {
        m_buffer = static_cast<BYTE*>(buffer);
    } else {
        m_owned.reset(new BYTE[m_size]);
        m_buffer = m_owned.get();
    }
    m_cur = m_buffer;
    m_end = IsLoading() ? m_buffer : m_buffer + m_size;
}

CArchive::~CArchive()
{
    // As Close() would: a store is written out, and a load gives back what it
    // buffered but did not use, so the file is left where reading stopped.
    if (m_file && !(m_mode & bNoFlushOnDelete)) {
        try {
            Flush();
        } catch (...) {
            // A destructor cannot report a failed write or seek; Close() does.
        }
    }
}

UINT CArchive::GetObjectSchema()
{
    UINT schema = m_nObjectSchema;
    m_nObjectSchema = 0xFFFFFFFFu;
    return schema;
}

void CArchive::CheckMode(bool loading) const
{
    if (!m_file)
        throw CArchiveException(CArchiveException::genericException);
    if (loading != IsLoading())
        throw CArchiveException(loading ? CArchiveException::writeOnly : CArchiveException::readOnly);
}

void CArchive::Flush()
{
    if (!m_file)
        return;
    if (IsStoring()) {
        if (m_cur != m_buffer)
            m_file->Write(m_buffer, static_cast<UINT>(m_cur - m_buffer));
        m_cur = m_buffer;
        m_file->Flush();
    } else {
        // Give back what was buffered but not consumed, so the file's
        // position is where the archive's reading stopped.
        if (m_end != m_cur)
            m_file->Seek(-(m_end - m_cur), CFile::current);
        m_cur = m_end = m_buffer;
    }
}

void CArchive::Close()
{
    Flush();
    Abort();
}

// Whatever is buffered is dropped; values after this find no file and are refused.
void CArchive::Abort()
{
    m_file = nullptr;
    m_cur = m_end = m_buffer;
}

void CArchive::MakeRoom()
{
    CheckMode(false);
    m_file->Write(m_buffer, static_cast<UINT>(m_cur - m_buffer));
    m_cur = m_buffer;
}

void CArchive::Fill(std::size_t needed)
{
    CheckMode(true);
    std::size_t have = static_cast<std::size_t>(m_end - m_cur);
    if (have)
        std::memmove(m_buffer, m_cur, have);
    m_cur = m_buffer;
    m_end = m_buffer + have;
    while (have < needed) {
        UINT got = m_file->Read(m_end, static_cast<UINT>(m_size - have));
        if (got == 0)
            throw CArchiveException(CArchiveException::endOfFile);
        have += got;
        m_end += got;
    }
}

UINT CArchive::Read(void* buffer, UINT count)
{
    CheckMode(true);
    BYTE* out = static_cast<BYTE*>(buffer);
    std::size_t left = count;
    std::size_t buffered = std::min<std::size_t>(left, static_cast<std::size_t>(m_end - m_cur));
    if (buffered) {
        std::memcpy(out, m_cur, buffered);
        m_cur += buffered;
        out += buffered;
        left -= buffered;
    }
    if (left >= m_size) {
        // Large blocks go straight from the file to the caller.
        while (left) {
            UINT got = m_file->Read(out, static_cast<UINT>(left));
            if (got == 0)
                break;
            out += got;
            left -= got;
        }
    } else if (left) {
        m_cur = m_end = m_buffer;
        while (static_cast<std::size_t>(m_end - m_buffer) < left) {
            UINT got = m_file->Read(m_end, static_cast<UINT>(m_size - static_cast<std::size_t>(m_end - m_buffer)));
            if (got == 0)
                break;
            m_end += got;
        }
        std::size_t n = std::min<std::size_t>(left, static_cast<std::size_t>(m_end - m_cur));
        std::memcpy(out, m_cur, n);
        m_cur += n;
        left -= n;
    }
    return static_cast<UINT>(count - left);
}

void CArchive::Write(const void* buffer, UINT count)
{
    CheckMode(false);
    const BYTE* in = static_cast<const BYTE*>(buffer);
    if (count <= static_cast<std::size_t>(m_end - m_cur)) {
        std::memcpy(m_cur, in, count);
        m_cur += count;
        return;
    }
    m_file->Write(m_buffer, static_cast<UINT>(m_cur - m_buffer));
    m_cur = m_buffer;
    if (count >= m_size) {
        m_file->Write(in, count);
    } else {
        std::memcpy(m_cur, in, count);
        m_cur += count;
    }
}

namespace {

// The largest piece of a block handed to Read or Write at once.
const std::size_t kLargestPiece = 0x40000000;

} // namespace

void CArchive::ReadFully(void* buffer, std::size_t count)
{
    BYTE* out = static_cast<BYTE*>(buffer);
    while (count) {
        const UINT piece = static_cast<UINT>(std::min(count, kLargestPiece));
        if (Read(out, piece) != piece)
            throw CArchiveException(CArchiveException::endOfFile);
        out += piece;
        count -= piece;
    }
}

void CArchive::WriteFully(const void* buffer, std::size_t count)
{
    const BYTE* in = static_cast<const BYTE*>(buffer);
    while (count) {
        const UINT piece = static_cast<UINT>(std::min(count, kLargestPiece));
        Write(in, piece);
        in += piece;
        count -= piece;
    }
}

void CArchive::WriteCount(DWORD count)
{
    if (count < 0xFFFF) {
        *this << static_cast<WORD>(count);
    } else {
        *this << static_cast<WORD>(0xFFFF);
        *this << count;
    }
}

DWORD CArchive::ReadCount()
{
    WORD small = 0;
    *this >> small;
    if (small != 0xFFFF)
        return small;
    DWORD large = 0;
    *this >> large;
    return large;
}

ULONGLONG CArchive::GetBytesAvailable() const
{
    if (!m_file || IsStoring())
        return 0;
    ULONGLONG length = m_file->GetLength();
    ULONGLONG position = m_file->GetPosition();
    ULONGLONG rest = length > position ? length - position : 0;
    return rest + static_cast<ULONGLONG>(m_end - m_cur);
}

void CArchive::RequireAvailable(ULONGLONG bytes) const
{
    CheckMode(true);
    if (bytes > GetBytesAvailable())
        throw CArchiveException(CArchiveException::endOfFile);
}

DWORD CArchive::ReadCheckedCount(std::size_t elementSize)
{
    DWORD count = ReadCount();
    RequireAvailable(static_cast<ULONGLONG>(count) * elementSize);
    return count;
}

namespace {

void AppendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 (little-endian code units) to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const WORD* units, std::size_t count)
{
    std::string out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        unsigned u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00u));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

// The framework's string length prefix: one byte below 0xFF, else 0xFF and a
// WORD below 0xFFFE, else 0xFF, 0xFFFF and a DWORD. 0xFF then 0xFFFE marks a
// string of 16-bit characters whose length follows in the same scheme.
DWORD ReadStringLength(CArchive& ar, bool& wide)
{
    BYTE b = 0;
    ar >> b;
    if (b < 0xFF)
        return b;
    WORD w = 0;
    ar >> w;
    if (w == 0xFFFE) {
        wide = true;
        ar >> b;
        if (b < 0xFF)
            return b;
        ar >> w;
    }
    if (w < 0xFFFF)
        return w;
    DWORD d = 0;
    ar >> d;
    return d;
}

} // namespace

CArchive& operator<<(CArchive& ar, const CString& s)
{
    DWORD length = static_cast<DWORD>(s.GetLength());
    if (length < 0xFF) {
        ar << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else {
        ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << length;
    }
    ar.Write(s.GetString(), length);
    return ar;
}

CArchive& operator>>(CArchive& ar, CString& s)
{
    bool wide = false;
    DWORD length = ReadStringLength(ar, wide);
    ULONGLONG bytes = static_cast<ULONGLONG>(length) * (wide ? 2 : 1);
    ar.RequireAvailable(bytes);
    if (wide) {
        std::unique_ptr<WORD[]> units(new WORD[length ? length : 1]);
        ar.ReadFully(units.get(), static_cast<std::size_t>(bytes));
        s = CString(Utf16ToUtf8(units.get(), length));
    } else {
        std::string text(length, '\0');
        if (length)
            ar.ReadFully(&text[0], length);
        s = CString(text);
    }
    return ar;
}
