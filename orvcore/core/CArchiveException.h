#pragma once

#include "orvcore/Export.h"
/// \file
/// CArchiveException, the error an archive raises.

#include <exception>

/// The archive's error, thrown by value. m_cause says what went wrong; a
/// short or damaged document gives endOfFile.
///
/// \valuethreads
class ORVCORE_API CArchiveException : public std::exception
{
public:
    /// The error's kind. A document that ends early, or whose counts or lengths exceed
    /// the bytes left in it, gives endOfFile; a store on a loading archive (or a load
    /// on a storing one) gives writeOnly or readOnly; an unknown class or a schema that
    /// the class does not read gives badClass or badSchema.
    enum Cause { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };

    /// An exception of the given cause (one of Cause).
    explicit CArchiveException(int cause = none) : m_cause(cause) {}
    /// A fixed text naming the cause.
    const char* what() const noexcept override;

    int m_cause; ///< What went wrong: one of Cause.
};
