#pragma once
/// \file
/// The host framework's fixed-width integer names and POSITION.

#include <cstdint>

/// The host framework's fixed-width names. Documents are written by 32-bit
/// builds of the host, where `long` is 32 bits; here `long` may be 64 bits,
/// so LONG and DWORD are spelled with explicit 32-bit types: every document
/// field keeps its width on 32-bit and 64-bit builds alike. File offsets are
/// 64 bits (ULONGLONG) on every build.
typedef std::uint8_t BYTE;
typedef std::uint16_t WORD; ///< 16-bit unsigned.
typedef std::uint32_t DWORD; ///< 32-bit unsigned, also on platforms where `unsigned long` is 64 bits.
typedef std::int32_t LONG; ///< 32-bit signed, also on platforms where `long` is 64 bits.
typedef std::uint32_t UINT; ///< 32-bit unsigned.
typedef std::uint64_t ULONGLONG; ///< 64-bit unsigned: file lengths and positions.
typedef int BOOL; ///< The framework's boolean: an int, TRUE (1) or FALSE (0).

#ifndef TRUE
#define TRUE 1 ///< The framework's true.
#endif
#ifndef FALSE
#define FALSE 0 ///< The framework's false.
#endif

/// An opaque iteration position, as the framework's containers hand out.
struct __POSITION
{
};
typedef __POSITION* POSITION; ///< A position handed out by a container's GetStartPosition or GetHeadPosition; 0 (nullptr) ends an iteration.

static_assert(sizeof(BYTE) == 1 && sizeof(WORD) == 2 && sizeof(DWORD) == 4 && sizeof(LONG) == 4 &&
                  sizeof(UINT) == 4,
              "framework widths");
