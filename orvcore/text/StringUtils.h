#pragma once

/// \file
/// StringUtils: tokenising and conversion of text.
#include "orvcore/Export.h"
#include "orvcore/core/CString.h"
#include "orvcore/geometry/Point3d.h"

#include <iosfwd>

namespace Orvane {

/// Tokenising and conversion of text. White space is the C locale's: space,
/// tab, line feed, vertical tab, form feed and carriage return.
///
/// Functions taking a `CString& source` consume it: what they return, and the
/// separator after it, are removed from the front of the source. Conversions
/// (StringTo...) return true and store the value when the text is accepted;
/// otherwise they return false and leave the output untouched. The number
/// conversions accept the whole text only; StringToPoint reads three fields
/// and ignores what follows them ("1 2 3 junk" is the point 1 2 3).
///
/// \threadsafety{Every function works on its arguments only: any thread, on
/// arguments that no other thread changes meanwhile.}
class ORVCORE_API StringUtils
{
public:
    /// Trims both ends and turns each inner run of white space into one space.
    static void CleanString(CString& s);
    /// Removes white space that is not inside single or double quotes.
    static void RemoveSpaces(CString& s);

    /// The next white-space-delimited token.
    static CString Parse(CString& source);
    /// The next field, up to any of the delimiter characters (after leading
    /// white space is skipped); fields may be empty.
    static CString Parse(CString& source, const char* delimiters);
    /// The next field up to delimiter; see the form with several delimiters.
    static CString Parse(CString& source, char delimiter);
    /// The text between a leading quote (", ' or `) and the same quote again,
    /// or to the end when it is not closed. No quote first: empty, and the
    /// source is left as it is.
    static CString ParseQuotedString(CString& source);

    /// The next field read leniently as a real: a leading number is taken and
    /// the rest ignored; no number gives 0.
    static double ParseRealNumber(CString& source, const char* delimiters);
    /// The same with one delimiter.
    static double ParseRealNumber(CString& source, char delimiter);
    /// The next three fields as x, y, z, each of which must be a real in full
    /// and within the float range; otherwise (0, 0, 0). The three fields are
    /// consumed in any case.
    static Point3d ParsePoint(CString& source, const char* delimiters);
    /// The same with one delimiter.
    static Point3d ParsePoint(CString& source, char delimiter);

    /// The next white-space-delimited word of a stream; the white space that
    /// ends it is consumed. A word ended by the end of the stream is returned
    /// and leaves only eofbit set; when no word is left the stream fails.
    static CString ExtractString(std::istream& in);
    /// Leading white space is skipped, then everything up to the delimiter is
    /// returned whole, however long; the delimiter is consumed.
    static CString ExtractString(std::istream& in, char delimiter);
    /// Leading white space is skipped, then everything up to one of the
    /// delimiters (a space when none are given; a NUL byte always counts) is
    /// returned; the delimiter stays in the stream.
    static CString ExtractString(std::istream& in, const char* delimiters);
    /// ExtractString(in, '\n'): blank lines are skipped, a carriage return
    /// before the line feed is kept.
    static CString ExtractLine(std::istream& in);

    /// on, t, true, y, yes / f, false, n, no, off, in any case, nothing else.
    static bool StringToBoolean(const char* text, bool& value);
    /// A decimal integer within the 32-bit range, with optional leading white
    /// space and sign, and nothing after it.
    static bool StringToInteger(const char* text, long& value);
    /// The same into an int.
    static bool StringToInteger(const char* text, int& value);
    /// Accepts what the 32-bit form accepts and keeps the low 16 bits.
    static bool StringToInteger(const char* text, short& value);
    /// A decimal real with optional leading white space, nothing after it,
    /// and neither overflowing nor underflowing.
    static bool StringToReal(const char* text, double& value);
    /// As the double form, rounded to a float; values that would round to an
    /// infinite float are refused.
    static bool StringToReal(const char* text, float& value);
    /// The first three white-space-separated fields, each a real in full and
    /// within the float range; anything after the third is ignored, so
    /// "1 2 3 junk" gives true and the point (1, 2, 3).
    static bool StringToPoint(const char* text, Point3d& value);
};

} // namespace Orvane
