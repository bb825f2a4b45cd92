#pragma once

#include <cstdint>

/// The host framework's fixed-width names. On this platform `long` is 64 bits,
/// so LONG and DWORD are spelled with explicit 32-bit types: every document
/// field keeps the width it had in the original 32-bit process.
typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef std::uint32_t UINT;
typedef std::uint64_t ULONGLONG;
typedef int BOOL;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

/// An opaque iteration position, as the framework's containers hand out.
struct __POSITION
{
};
typedef __POSITION* POSITION;

static_assert(sizeof(BYTE) == 1 && sizeof(WORD) == 2 && sizeof(DWORD) == 4 && sizeof(LONG) == 4 &&
                  sizeof(UINT) == 4,
              "framework widths");
