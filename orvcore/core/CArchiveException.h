#pragma once

#include "orvcore/Export.h"

#include <exception>

/// The archive's error, thrown by value. m_cause says what went wrong; a
/// short or damaged document gives endOfFile.
class ORVCORE_API CArchiveException : public std::exception
{
public:
    enum Cause { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };

    explicit CArchiveException(int cause = none) : m_cause(cause) {}
    const char* what() const noexcept override;

    int m_cause;
};
