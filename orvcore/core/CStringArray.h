#pragma once

#include "orvcore/core/CArray.h"
#include "orvcore/core/CString.h"
/// \file
/// CStringArray and the archive form of string elements.

/// Strings have their own archive form: one string after another.
inline void SerializeElements(CArchive& ar, CString* elements, int count)
{
    for (int i = 0; i < count; ++i) {
        if (ar.IsStoring())
            ar << elements[i];
        else
            ar >> elements[i];
    }
}

/// An array of CString, stored as its count and then each string.
///
/// \valuethreads
class CStringArray : public CArray<CString, const char*>
{
};
