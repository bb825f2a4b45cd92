#include "orvcore/core/CMemFile.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

CMemFile::CMemFile(UINT growBytes)
{
    Reserve(growBytes);
}

CMemFile::CMemFile(const BYTE* data, UINT size, UINT)
{
    Reserve(size);
    if (size)
        std::memcpy(m_buffer.get(), data, size);
    m_size = size;
}

CMemFile::~CMemFile() = default;

void CMemFile::Reserve(std::size_t capacity)
{
    if (capacity <= m_capacity)
        return;
    std::unique_ptr<BYTE[]> bigger(new BYTE[capacity]);
    if (m_size)
        std::memcpy(bigger.get(), m_buffer.get(), m_size);
    m_buffer = std::move(bigger);
    m_capacity = capacity;
}

std::size_t CMemFile::MemorySize(ULONGLONG bytes)
{
    if (bytes > std::numeric_limits<std::size_t>::max())
        throw std::bad_alloc();
    return static_cast<std::size_t>(bytes);
}

UINT CMemFile::Read(void* buffer, UINT count)
{
    if (m_position >= m_size)
        return 0;
    const std::size_t at = static_cast<std::size_t>(m_position);
    const std::size_t n = std::min<std::size_t>(count, m_size - at);
    if (n) {
        std::memcpy(buffer, m_buffer.get() + at, n);
        m_position += n;
    }
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    const std::size_t last = MemorySize(m_position + count);
    const std::size_t at = last - count;
    if (last > m_capacity)
        Reserve(std::max(last, m_capacity * 2));
    if (at > m_size)
        std::memset(m_buffer.get() + m_size, 0, at - m_size);
    std::memcpy(m_buffer.get() + at, buffer, count);
    m_position = last;
    m_size = std::max(m_size, last);
}

ULONGLONG CMemFile::Seek(long long offset, UINT from)
{
    long long base = from == begin ? 0 : from == current ? static_cast<long long>(m_position)
                                                         : static_cast<long long>(m_size);
    // base is never negative, so only a positive offset can overflow.
    if (offset > std::numeric_limits<long long>::max() - base || base + offset < 0)
        throw CFileException(CFileException::badPath);
    m_position = static_cast<ULONGLONG>(base + offset);
    return m_position;
}

void CMemFile::SetLength(ULONGLONG length)
{
    const std::size_t n = MemorySize(length);
    Reserve(n);
    if (n > m_size)
        std::memset(m_buffer.get() + m_size, 0, n - m_size);
    m_size = n;
    if (m_position > m_size)
        m_position = m_size;
}
