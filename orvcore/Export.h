#pragma once
/// \file
/// The export macro of the shared library.

/// ORVCORE_API marks what the shared library exports; everything else is hidden.
#if defined(_WIN32)
#  if defined(ORVCORE_BUILDING)
#    define ORVCORE_API __declspec(dllexport)
#  else
#    define ORVCORE_API __declspec(dllimport)
#  endif
#else
#  define ORVCORE_API __attribute__((visibility("default")))
#endif
