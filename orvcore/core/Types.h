#pragma once

#include <cstdint>

// The host framework's fixed-width names. Documents are written by 32-bit
// builds of the host, where `long` is 32 bits; here `long` may be 64 bits, so
// LONG and DWORD are spelled with explicit 32-bit types: every document field
// keeps its width on 32-bit and 64-bit builds alike. File offsets are 64 bits
// (ULONGLONG) on every build.
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

// An opaque iteration position, as the framework's containers hand out.
struct __POSITION
{
};
typedef __POSITION* POSITION;

static_assert(sizeof(BYTE) == 1 && sizeof(WORD) == 2 && sizeof(DWORD) == 4 && sizeof(LONG) == 4 &&
                  sizeof(UINT) == 4,
              "framework widths");
