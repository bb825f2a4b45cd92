#include "Molecule.h"

#include "Elements.h"
#include "Parallel.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <ostream>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#if ORVSCENE_HAVE_ZLIB
#include <zlib.h>
#endif

namespace orvscene {

namespace {

// Lines longer than this are taken as a file that is not a structure (a
// binary file, a file of one endless line) rather than held in memory.
const std::size_t kMaxLine = 1 << 20;

// White space as the "C" locale has it (isspace, without its call per character).
inline bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view TrimView(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s)
{
    return std::string(TrimView(s));
}

// Columns first..last, 1-based and inclusive, clipped to the line.
std::string_view Columns(std::string_view line, std::size_t first, std::size_t last)
{
    if (line.size() < first)
        return std::string_view();
    return line.substr(first - 1, last - first + 1);
}

// Splits lines out of text arriving in pieces.
class PieceLines : public LineSource
{
public:
    bool Next(std::string& line) override
    {
        line.clear();
        for (;;) {
            if (m_at >= m_size) {
                if (!Refill())
                    break;
                continue;
            }
            if (m_skipLf) {
                m_skipLf = false;
                if (m_buffer[m_at] == '\n') {
                    ++m_at;
                    continue;
                }
            }
            const char* start = m_buffer + m_at;
            const char* end = static_cast<const char*>(std::memchr(start, '\n', m_size - m_at));
            const char* cr = static_cast<const char*>(std::memchr(start, '\r', static_cast<std::size_t>((end ? end : m_buffer + m_size) - start)));
            if (cr)
                end = cr;
            if (!end) {
                Append(line, start, m_size - m_at);
                m_at = m_size;
                m_any = true;
                continue;
            }
            Append(line, start, static_cast<std::size_t>(end - start));
            m_at += static_cast<std::size_t>(end - start) + 1;
            m_skipLf = *end == '\r';
            ++m_number;
            return true;
        }
        if (m_any || !line.empty()) {
            m_any = false;
            ++m_number;
            return true;
        }
        return false;
    }

protected:
    // Makes m_buffer[0, m_size) the next piece; false at the end.
    virtual bool Read() = 0;
    const char* m_buffer = nullptr;
    std::size_t m_size = 0;
    std::string m_name;

private:
    bool Refill()
    {
        m_at = 0;
        m_size = 0;
        return Read() && m_size > 0;
    }
    void Append(std::string& line, const char* data, std::size_t n)
    {
        if (line.size() + n > kMaxLine)
            throw Error(m_name, m_number + 1, "line longer than " + std::to_string(kMaxLine) +
                                                  " bytes: not a structure file");
        line.append(data, n);
        m_any = true;
    }
    std::size_t m_at = 0;
    bool m_skipLf = false;
    bool m_any = false; // the current line has begun
};

class StringLines : public PieceLines
{
public:
    StringLines(const std::string& text, const std::string& name) : m_text(text) { m_name = name; }

protected:
    bool Read() override
    {
        if (m_done)
            return false;
        m_done = true;
        m_buffer = m_text.data();
        m_size = m_text.size();
        return true;
    }

private:
    const std::string& m_text;
    bool m_done = false;
};

// A file or standard input, plain or gzip, read in pieces.
class FileLines : public PieceLines
{
public:
    FileLines(const std::string& path) : m_piece(1 << 18)
    {
        m_name = path;
        const bool input = path == "-";
        if (!input) {
            struct stat info;
            if (::stat(path.c_str(), &info) != 0)
                throw Error(path, 0, std::string("cannot open the file: ") + std::strerror(errno));
            if (S_ISDIR(info.st_mode))
                throw Error(path, 0, "is a directory, not a structure file");
        }
        errno = 0;
        m_file = input ? stdin : std::fopen(path.c_str(), "rb");
        if (!m_file)
            throw Error(path, 0, std::string("cannot open the file: ") + std::strerror(errno ? errno : EIO));
        m_close = !input;
        // The first bytes tell gzip from plain text.
        m_size = std::fread(m_piece.data(), 1, m_piece.size(), m_file);
        CheckRead();
        m_gzip = m_size >= 2 && static_cast<unsigned char>(m_piece[0]) == 0x1f &&
                 static_cast<unsigned char>(m_piece[1]) == 0x8b;
        if (m_gzip) {
#if ORVSCENE_HAVE_ZLIB
            m_raw.assign(m_piece.begin(), m_piece.begin() + static_cast<std::ptrdiff_t>(m_size));
            m_stream.reset(new z_stream());
            if (inflateInit2(m_stream.get(), 15 + 32) != Z_OK)
                throw Error(path, 0, "cannot start reading the gzip data");
            m_stream->next_in = reinterpret_cast<Bytef*>(m_raw.data());
            m_stream->avail_in = static_cast<uInt>(m_size);
            m_size = 0;
#else
            throw Error(path, 0, "gzip-compressed, and this build reads no gzip (it has no zlib)");
#endif
        }
        m_buffer = m_piece.data();
    }
    ~FileLines() override
    {
#if ORVSCENE_HAVE_ZLIB
        if (m_stream)
            inflateEnd(m_stream.get());
#endif
        if (m_close)
            std::fclose(m_file);
    }
    bool Gzip() const { return m_gzip; }
    // The first bytes of the (decompressed) text, for telling formats apart.
    std::string Peek()
    {
        if (m_gzip && !m_peeked) {
            m_peeked = true;
            Read(); // handed out as it stands: Next starts at its first byte
        }
        return std::string(m_piece.data(), std::min<std::size_t>(m_size, 4096));
    }

protected:
    bool Read() override
    {
        if (!m_gzip) {
            m_size = std::fread(m_piece.data(), 1, m_piece.size(), m_file);
            CheckRead();
            return m_size > 0;
        }
#if ORVSCENE_HAVE_ZLIB
        for (;;) {
            if (m_stream->avail_in == 0 && !m_ended) {
                m_raw.resize(m_piece.size());
                const std::size_t n = std::fread(m_raw.data(), 1, m_raw.size(), m_file);
                CheckRead();
                m_stream->next_in = reinterpret_cast<Bytef*>(m_raw.data());
                m_stream->avail_in = static_cast<uInt>(n);
                if (n == 0) {
                    if (!m_streamEnd)
                        throw Error(m_name, 0, "the gzip data ends early (a truncated file)");
                    return false;
                }
            }
            if (m_streamEnd) {
                // Another gzip member may follow; anything else ends the text.
                if (m_stream->avail_in >= 2 && m_stream->next_in[0] == 0x1f && m_stream->next_in[1] == 0x8b) {
                    inflateReset(m_stream.get());
                    m_streamEnd = false;
                } else {
                    return false;
                }
            }
            m_stream->next_out = reinterpret_cast<Bytef*>(m_piece.data());
            m_stream->avail_out = static_cast<uInt>(m_piece.size());
            const int status = inflate(m_stream.get(), Z_NO_FLUSH);
            if (status == Z_STREAM_END)
                m_streamEnd = true;
            else if (status == Z_MEM_ERROR)
                throw std::bad_alloc();
            else if (status != Z_OK && status != Z_BUF_ERROR)
                throw Error(m_name, 0, std::string("damaged gzip data (") + (m_stream->msg ? m_stream->msg : "inflate") +
                                           ")");
            m_size = m_piece.size() - m_stream->avail_out;
            if (m_size > 0)
                return true;
            if (status == Z_BUF_ERROR && m_stream->avail_in == 0 && std::feof(m_file)) {
                if (!m_streamEnd)
                    throw Error(m_name, 0, "the gzip data ends early (a truncated file)");
                return false;
            }
        }
#else
        return false;
#endif
    }

private:
    void CheckRead()
    {
        if (std::ferror(m_file))
            throw Error(m_name, 0, std::string("cannot read the file: ") + std::strerror(errno ? errno : EIO));
    }
    std::vector<char> m_piece;
    std::FILE* m_file = nullptr;
    bool m_close = false;
    bool m_gzip = false;
    bool m_peeked = false;
#if ORVSCENE_HAVE_ZLIB
    std::vector<char> m_raw;
    std::unique_ptr<z_stream> m_stream;
    bool m_streamEnd = false;
    bool m_ended = false;
#endif
};

// A plain decimal ("-12.345", "+.5", "7.") of at most 15 digits, read
// exactly: the digits as an integer (below 2^53) divided by a power of ten
// (exact up to 10^22) round once, as strtod does. False for anything else.
bool ParsePlainDecimal(std::string_view text, double& value)
{
    static const double kPowers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    long long digits = 0;
    int count = 0, decimals = -1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++count > 15)
                return false;
            digits = digits * 10 + (c - '0');
            if (decimals >= 0)
                ++decimals;
        } else if (c == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (count == 0)
        return false;
    const double v = static_cast<double>(digits) / kPowers[decimals < 0 ? 0 : decimals];
    value = text[0] == '-' ? -v : v;
    return true;
}

// A fixed-point decimal as the PDB coordinate fields hold it: optional
// sign, digits, optional point and digits, blanks around.
bool ParseFixedPoint(std::string_view field, double& value)
{
    const std::string_view t = TrimView(field);
    std::size_t i = t.size() && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    std::size_t digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(t[i])))
            ++digits;
        else if (t[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0)
        return false;
    if (!ParsePlainDecimal(t, value))
        value = std::strtod(std::string(t).c_str(), nullptr);
    return true;
}

// A decimal number, exponent allowed: no hexadecimal, no nan or inf, and
// below 1e6 in size, so that distances and picture sizes stay finite.
bool ParseDecimal(const char* text, std::size_t size, double& value)
{
    if (size == 0 || size > 64)
        return false;
    if (ParsePlainDecimal(std::string_view(text, size), value))
        return std::fabs(value) < 1e6;
    bool digit = false;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
            return false;
    }
    if (!digit)
        return false;
    char buffer[72];
    std::memcpy(buffer, text, size);
    buffer[size] = '\0';
    char* end = nullptr;
    value = std::strtod(buffer, &end);
    return end == buffer + size && std::isfinite(value) && std::fabs(value) < 1e6;
}

bool ParseDecimal(const std::string& token, double& value)
{
    return ParseDecimal(token.data(), token.size(), value);
}

bool ParseInt(std::string_view field, int& value)
{
    const std::string_view t = TrimView(field);
    // The common case, a bare number of a few digits, without a copy.
    if (!t.empty() && t.size() <= 9) {
        const std::size_t sign = t[0] == '-' ? 1 : 0;
        long v = 0;
        bool digits = sign < t.size();
        for (std::size_t k = sign; k < t.size() && digits; ++k) {
            if (t[k] < '0' || t[k] > '9')
                digits = false;
            else
                v = v * 10 + (t[k] - '0');
        }
        if (digits) {
            value = static_cast<int>(sign ? -v : v);
            return true;
        }
    }
    if (t.empty())
        return false;
    const std::string text(t);
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text.c_str(), &end, 10);
    if (!end || *end != '\0' || errno || v < -999999999L || v > 999999999L)
        return false;
    value = static_cast<int>(v);
    return true;
}

// A hybrid-36 number of `width` characters: decimal up to 10^width - 1,
// then upper-case base 36 ("A000" follows 9999), then lower-case ("a000"
// follows "ZZZZ").
bool ParseHybrid36(std::string_view field, std::size_t width, int& value)
{
    if (ParseInt(field, value))
        return true;
    const std::string_view t = TrimView(field);
    if (t.size() != width)
        return false;
    const bool upper = std::isupper(static_cast<unsigned char>(t[0])) != 0;
    if (!upper && !std::islower(static_cast<unsigned char>(t[0])))
        return false;
    long v = 0;
    for (char c : t) {
        const unsigned char u = static_cast<unsigned char>(c);
        int digit;
        if (std::isdigit(u))
            digit = c - '0';
        else if (upper && std::isupper(u))
            digit = c - 'A' + 10;
        else if (!upper && std::islower(u))
            digit = c - 'a' + 10;
        else
            return false;
        v = v * 36 + digit;
    }
    long power = 1, decimal = 1;
    for (std::size_t i = 0; i < width; ++i) {
        power *= 36;
        decimal *= 10;
    }
    const long firstLetter = 10 * power / 36; // "A000" in base 36
    v = v - firstLetter + decimal;
    if (!upper)
        v += 26 * power / 36;
    value = static_cast<int>(v);
    return true;
}

bool ParseHex(std::string_view field, int& value)
{
    const std::string_view t = TrimView(field);
    if (t.empty() || t.size() > 7)
        return false;
    int v = 0;
    for (char c : t) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0)
            return false;
        v = v * 16 + digit;
    }
    value = v;
    return true;
}

std::string NormaliseElement(std::string_view symbol)
{
    std::string e;
    for (char c : symbol)
        if (std::isalpha(static_cast<unsigned char>(c)))
            e += static_cast<char>(e.empty() ? std::toupper(static_cast<unsigned char>(c))
                                             : std::tolower(static_cast<unsigned char>(c)));
    if (e == "D" || e == "T")
        return "H";
    return e;
}

// The element of an atom whose record has no element columns: from the atom
// name's first two columns, where a one-letter element stands in the second.
std::string ElementFromName(std::string_view nameField)
{
    std::string field(nameField);
    field.resize(4, ' ');
    unsigned char c0 = static_cast<unsigned char>(field[0]);
    unsigned char c1 = static_cast<unsigned char>(field[1]);
    if (!std::isalpha(c0))
        return std::isalpha(c1) ? NormaliseElement(std::string_view(&field[1], 1)) : std::string();
    if ((field[0] == 'H' || field[0] == 'D') && field[3] != ' ')
        return "H"; // four-character hydrogen names start in the first column
    std::string two = NormaliseElement(std::string_view(field).substr(0, 2));
    if (two.size() == 2 && IsElement(two))
        return two;
    return NormaliseElement(std::string_view(field).substr(0, 1));
}

// Residue numbers as PDB files of large simulations write them past 9999:
// hybrid-36 ("A000", starting with a capital letter), or hexadecimal ("2710"
// right after "9999", then "2711" ... "271a"). A field is read as
// hexadecimal when it continues a count that has reached 9999 in
// hexadecimal (its hexadecimal value is the last number + 1, or it has a
// letter a-f), and from then on while the hexadecimal values do not step
// back; a number that steps back (a new segment starting again) is decimal.
class ResidueNumbers
{
public:
    bool Parse(std::string_view field, int& value)
    {
        const std::string_view t = TrimView(field);
        int decimal = 0, hex = 0;
        const bool isDecimal = ParseInt(t, decimal);
        const bool isHex = !t.empty() && !std::isupper(static_cast<unsigned char>(t[0])) && ParseHex(t, hex);
        const bool letters = isHex && t.find_first_of("abcdefABCDEF") != std::string::npos;
        if (m_hex && isHex && hex >= m_last) {
            value = hex;
        } else if (isHex && m_last >= 9999 && ((isDecimal && hex == m_last + 1 && decimal != m_last + 1) ||
                                               (!isDecimal && letters && hex > m_last))) {
            m_hex = true;
            value = hex;
        } else if (isDecimal) {
            m_hex = false;
            value = decimal;
        } else if (!ParseHybrid36(t, 4, value)) {
            return false;
        }
        m_last = value;
        return true;
    }

private:
    int m_last = 0;
    bool m_hex = false;
};

// The residue number of an ATOM or HETATM record in reading order (0 when
// the field is blank); none when the field is bad. A truncated record keeps
// the numbering as it is: its parse reports it.
std::optional<int> ReadResidueNumber(std::string_view line, ResidueNumbers& numbers)
{
    int value = 0;
    const std::string_view field = Columns(line, 23, 26);
    if (line.size() < 54 || TrimView(field).empty() || numbers.Parse(field, value))
        return value;
    return std::nullopt;
}

// An ATOM or HETATM record, with the residue number that its place in the
// file gave it (ReadResidueNumber). Its fields are checked in column order.
Atom ParseAtomRecord(std::string_view line, const std::string& fileName, long lineNumber,
                     std::optional<int> residueNumber)
{
    if (line.size() < 54)
        throw Error(fileName, lineNumber, "atom record is truncated (" + std::to_string(line.size()) +
                                              " columns, coordinates need 54)");
    auto quoted = [](std::string_view field) { return "'" + Printable(std::string(field)) + "'"; };
    Atom atom;
    atom.hetero = line.compare(0, 6, "HETATM") == 0;
    if (!ParseHybrid36(Columns(line, 7, 11), 5, atom.serial))
        throw Error(fileName, lineNumber, "bad atom serial number " + quoted(Columns(line, 7, 11)));
    const std::string_view nameField = Columns(line, 13, 16);
    atom.name = TrimView(nameField);
    atom.residue = TrimView(Columns(line, 18, 21));
    atom.chain = TrimView(Columns(line, 22, 22));
    if (!residueNumber)
        throw Error(fileName, lineNumber, "bad residue number " + quoted(Columns(line, 23, 26)));
    atom.residueNumber = *residueNumber;
    atom.insertion = line[26];
    atom.altLocation = line[16];
    static const struct {
        const char* name;
        std::size_t first;
        double Atom::*value;
    } coordinates[] = {{"x", 31, &Atom::x}, {"y", 39, &Atom::y}, {"z", 47, &Atom::z}};
    for (const auto& c : coordinates) {
        const std::string_view field = Columns(line, c.first, c.first + 7);
        if (!ParseFixedPoint(field, atom.*c.value))
            throw Error(fileName, lineNumber,
                        std::string("bad ") + c.name + " coordinate " + quoted(field) + " (columns " +
                            std::to_string(c.first) + "-" + std::to_string(c.first + 7) +
                            " hold a fixed-point decimal such as -12.345)");
    }
    const std::string_view occupancy = TrimView(Columns(line, 55, 60)), bFactor = TrimView(Columns(line, 61, 66));
    if (!occupancy.empty() && !ParseFixedPoint(occupancy, atom.occupancy))
        throw Error(fileName, lineNumber, "bad occupancy " + quoted(occupancy) + " (columns 55-60)");
    if (!bFactor.empty() && !ParseFixedPoint(bFactor, atom.bFactor))
        throw Error(fileName, lineNumber, "bad B-factor " + quoted(bFactor) + " (columns 61-66)");
    atom.segment = TrimView(Columns(line, 73, 76));
    const std::string_view elementField = TrimView(Columns(line, 77, 78));
    bool symbolic = !elementField.empty();
    for (char c : elementField)
        symbolic = symbolic && std::isalpha(static_cast<unsigned char>(c));
    atom.element = symbolic ? NormaliseElement(elementField) : ElementFromName(nameField);
    if (atom.element.empty())
        throw Error(fileName, lineNumber, "no element for atom " + quoted(atom.name));
    return atom;
}

// Of the records of each residue, keeps those without an alternate location
// and one conformer: the wanted one where the residue has it, else the first
// that occurs in the residue. Records are kept in file order.
std::vector<Atom> ChooseConformers(std::vector<Atom> atoms, char wanted, bool& wantedSeen)
{
    using Key = std::tuple<std::string, std::string, int, char>; // chain, segment, number, insertion code
    std::map<Key, char> chosen;
    wantedSeen = false;
    bool alternates = false;
    for (const Atom& atom : atoms) {
        if (atom.altLocation == ' ')
            continue;
        alternates = true;
        wantedSeen = wantedSeen || atom.altLocation == wanted;
        auto entry = chosen.emplace(Key(atom.chain, atom.segment, atom.residueNumber, atom.insertion), atom.altLocation);
        if (!entry.second && atom.altLocation == wanted)
            entry.first->second = wanted;
    }
    if (!alternates)
        return atoms;
    std::vector<Atom> kept;
    kept.reserve(atoms.size());
    for (Atom& atom : atoms)
        if (atom.altLocation == ' ' ||
            chosen.at(Key(atom.chain, atom.segment, atom.residueNumber, atom.insertion)) == atom.altLocation)
            kept.push_back(std::move(atom));
    return kept;
}

int CountRepeatedSerials(const std::vector<Atom>& atoms)
{
    bool increasing = true; // the usual file: no serial can repeat
    for (std::size_t i = 1; i < atoms.size() && increasing; ++i)
        increasing = atoms[i].serial > atoms[i - 1].serial;
    if (increasing)
        return 0;
    int repeated = 0;
    const auto range = std::minmax_element(atoms.begin(), atoms.end(),
                                           [](const Atom& a, const Atom& b) { return a.serial < b.serial; });
    const long long low = range.first->serial, width = range.second->serial - low + 1;
    if (static_cast<unsigned long long>(width) <= 16ull * atoms.size()) { // the usual serials: a bit per number
        std::vector<bool> seen(static_cast<std::size_t>(width));
        for (const Atom& a : atoms) {
            std::vector<bool>::reference bit = seen[static_cast<std::size_t>(a.serial - low)];
            repeated += bit ? 1 : 0;
            bit = true;
        }
        return repeated;
    }
    std::unordered_set<int> seen;
    seen.reserve(atoms.size());
    for (const Atom& a : atoms)
        if (!seen.insert(a.serial).second)
            ++repeated;
    return repeated;
}

// Conformers, the CONECT bonds (by serial, where the serial names one atom),
// repeated serials: what every reader does once the records of the model are in.
void Finish(Molecule& molecule, std::vector<Atom> records, const std::vector<std::pair<int, int>>& conect,
            const ReadOptions& options, long lastLine)
{
    bool wantedSeen = false;
    molecule.atoms = ChooseConformers(std::move(records), options.altLocation, wantedSeen);
    if (options.altLocation && !wantedSeen)
        throw Error(molecule.source, 0, std::string("no atom has alternate location '") + options.altLocation + "'");
    if (molecule.atoms.empty())
        throw Error(molecule.source, lastLine, "no atoms");
    molecule.repeatedSerials = CountRepeatedSerials(molecule.atoms);
    if (!conect.empty()) {
        std::unordered_map<int, int> bySerial; // serial -> index, -1 when the serial repeats
        for (std::size_t i = 0; i < molecule.atoms.size(); ++i) {
            auto hit = bySerial.emplace(molecule.atoms[i].serial, static_cast<int>(i));
            if (!hit.second)
                hit.first->second = -1;
        }
        std::set<std::pair<int, int>> bonds;
        for (const auto& c : conect) {
            auto a = bySerial.find(c.first), b = bySerial.find(c.second);
            if (a != bySerial.end() && b != bySerial.end() && a->second >= 0 && b->second >= 0 &&
                a->second != b->second)
                bonds.insert(std::minmax(a->second, b->second));
        }
        molecule.statedBonds.assign(bonds.begin(), bonds.end());
    }
}

// The ATOM and HETATM records of a PDB text, parsed in pieces as they are
// handed over: on the calling thread, and once the text has proved large
// (options.threadedFrom records) also on other threads. The atoms, or the
// first failure, come back in file order, the same for any number of threads.
class AtomRecords
{
public:
    AtomRecords(const std::string& fileName, const ReadOptions& options)
        : m_fileName(fileName), m_threads(std::max(1, options.threads)),
          m_threadedFrom(static_cast<std::size_t>(std::max(1L, options.threadedFrom))),
          m_pieceSize(std::min<std::size_t>(m_threadedFrom / 8 + 1, 16384))
    {
    }

    void Add(std::string_view line, long lineNumber, std::optional<int> residueNumber)
    {
        if (!m_piece)
            m_piece.reset(new Piece());
        m_piece->text.append(line.data(), line.size());
        m_piece->ends.push_back(m_piece->text.size());
        m_piece->lines.push_back(lineNumber);
        m_piece->residueNumbers.push_back(residueNumber);
        if (++m_records % m_pieceSize == 0)
            Hand();
    }

    // Waits until every record is parsed; throws the first failure in file order.
    void Wait()
    {
        Hand();
        m_queue.Finish();
        for (const std::unique_ptr<Piece>& piece : m_pieces)
            if (piece->failure)
                std::rethrow_exception(piece->failure);
    }

    // Every record's atom in file order, once all are parsed; the first
    // failure in file order is thrown instead.
    std::vector<Atom> Atoms()
    {
        Hand();
        // Every record gives an atom: their vector is made in full while other
        // threads may still parse, then each piece moves in on a thread.
        std::vector<Atom> atoms;
        if (m_pieces.size() > 1)
            atoms.resize(m_records);
        Wait();
        if (m_pieces.size() == 1)
            return std::move(m_pieces[0]->atoms);
        RunTasks(m_pieces.size(), m_threads, [&](std::size_t k) {
            std::vector<Atom>& from = m_pieces[k]->atoms;
            std::move(from.begin(), from.end(), atoms.begin() + static_cast<std::ptrdiff_t>(k * m_pieceSize));
            std::vector<Atom>().swap(from);
        });
        return atoms;
    }

private:
    // Records back to back in `text`, each ending at its `ends` entry.
    struct Piece {
        std::string text;
        std::vector<std::size_t> ends;
        std::vector<long> lines;
        std::vector<std::optional<int>> residueNumbers;
        std::vector<Atom> atoms;
        std::exception_ptr failure; // of the first record that failed (those after it are not parsed)
    };

    // Parses the piece being filled, right here on one thread (where the
    // first failure ends the reading at once), or by the queue.
    void Hand()
    {
        if (!m_piece)
            return;
        m_pieces.push_back(std::move(m_piece));
        Piece& piece = *m_pieces.back();
        if (m_threads == 1) {
            Parse(piece);
            if (piece.failure)
                std::rethrow_exception(piece.failure);
            return;
        }
        m_queue.Add([this, &piece]() { Parse(piece); });
        if (!m_queue.Started() && m_records >= m_threadedFrom)
            m_queue.Start(m_threads - 1);
    }

    void Parse(Piece& piece) const
    {
        try {
            piece.atoms.reserve(piece.ends.size());
            std::size_t start = 0;
            for (std::size_t k = 0; k < piece.ends.size(); ++k) {
                const std::string_view line(piece.text.data() + start, piece.ends[k] - start);
                piece.atoms.push_back(ParseAtomRecord(line, m_fileName, piece.lines[k], piece.residueNumbers[k]));
                start = piece.ends[k];
            }
        } catch (...) {
            piece.failure = std::current_exception();
        }
        std::string().swap(piece.text);
        std::vector<std::size_t>().swap(piece.ends);
        std::vector<long>().swap(piece.lines);
        std::vector<std::optional<int>>().swap(piece.residueNumbers);
    }

    const std::string& m_fileName;
    const int m_threads;
    const std::size_t m_threadedFrom, m_pieceSize;
    std::size_t m_records = 0;
    std::unique_ptr<Piece> m_piece; // being filled
    std::vector<std::unique_ptr<Piece>> m_pieces;
    TaskQueue m_queue; // last: its helpers stop before the pieces go
};

} // namespace

Molecule ReadPdb(LineSource& lines, const std::string& fileName, const ReadOptions& options)
{
    Molecule molecule;
    molecule.source = fileName;
    molecule.format = "PDB";
    AtomRecords records(fileName, options);
    std::vector<std::pair<int, int>> conect;
    ResidueNumbers numbers;
    std::string line;
    int modelsSeen = 0;
    bool inModel = false;
    bool found = false;   // the model asked for was met
    bool reading = true;  // outside MODEL records every atom counts
    bool done = false;
    bool any = false;     // an atom record was read
    // Line by line up to END; the atom records to read go to `records`.
    auto scan = [&]() {
        while (lines.Next(line)) {
            const long lineNumber = lines.Number();
            if (line.size() < 3)
                continue;
            const char c0 = line[0];
            if (c0 == 'A' || c0 == 'H') {
                if (line.compare(0, 6, "ATOM  ") == 0 || line.compare(0, 6, "HETATM") == 0) {
                    if (reading && !done) {
                        const std::optional<int> residueNumber = ReadResidueNumber(line, numbers);
                        records.Add(line, lineNumber, residueNumber);
                        any = true;
                        if (!residueNumber)
                            return; // the record fails: the reading ends there
                    }
                } else if (line.compare(0, 6, "HEADER") == 0) {
                    molecule.entryId = Trim(Columns(line, 63, 66));
                }
            } else if (c0 == 'T' && line.compare(0, 6, "TITLE ") == 0) {
                const std::string part = Trim(Columns(line, 11, 80));
                molecule.title += (molecule.title.empty() || part.empty() ? "" : " ") + part;
            } else if (c0 == 'C' && line.compare(0, 6, "CONECT") == 0) {
                int from = 0;
                if (!ParseHybrid36(Columns(line, 7, 11), 5, from))
                    throw Error(fileName, lineNumber, "bad CONECT serial number '" + Printable(std::string(Columns(line, 7, 11))) + "'");
                for (std::size_t column = 12; column + 4 <= line.size() && column <= 27; column += 5) {
                    const std::string field(Columns(line, column, column + 4));
                    int to = 0;
                    if (TrimView(field).empty())
                        continue;
                    if (!ParseHybrid36(field, 5, to))
                        throw Error(fileName, lineNumber, "bad CONECT serial number '" + Printable(field) + "'");
                    conect.emplace_back(from, to);
                }
            } else if (c0 == 'M' && line.compare(0, 5, "MODEL") == 0) {
                if (inModel)
                    throw Error(fileName, lineNumber, "MODEL inside another MODEL");
                int number = modelsSeen + 1;
                ParseInt(Columns(line, 11, 14), number);
                ++modelsSeen;
                inModel = true;
                reading = !done && (options.model == 0 ? modelsSeen == 1 : number == options.model);
                found = found || reading;
            } else if (c0 == 'E' && line.compare(0, 6, "ENDMDL") == 0) {
                if (!inModel)
                    throw Error(fileName, lineNumber, "ENDMDL without MODEL");
                inModel = false;
                if (reading && any)
                    done = true;
                reading = false;
            } else if (c0 == 'E' && line.compare(0, 3, "END") == 0 && (line.size() == 3 || line[3] == ' ')) {
                return;
            }
        }
    };
    try {
        scan();
    } catch (...) {
        records.Wait(); // a record before the failing line fails first
        throw;
    }
    std::vector<Atom> atoms = records.Atoms();
    if (inModel && !done)
        throw Error(fileName, lines.Number(), "file ends inside a MODEL (no ENDMDL)");
    if (options.model > 1 && modelsSeen == 0)
        throw Error(fileName, 0,
                    "no model " + std::to_string(options.model) + ": the file has no MODEL records (it is model 1)");
    if (options.model > 0 && modelsSeen > 0 && !found)
        throw Error(fileName, 0,
                    "no model " + std::to_string(options.model) + " among its " + std::to_string(modelsSeen) +
                        " MODEL records");
    Finish(molecule, std::move(atoms), conect, options, lines.Number());
    return molecule;
}

Molecule ReadPdb(const std::string& text, const std::string& fileName, const ReadOptions& options)
{
    StringLines lines(text, fileName);
    return ReadPdb(lines, fileName, options);
}

namespace {

// The tokens of a CIF text, with the line each starts on.
class CifTokens
{
public:
    CifTokens(LineSource& lines, const std::string& fileName) : m_lines(lines), m_file(fileName) {}

    // The next token (quotes and text-field markers removed); false at the
    // end. `quoted` tells a quoted "?" or "." from the null markers.
    bool Next(std::string& token, bool& quoted)
    {
        for (;;) {
            if (m_at >= m_line.size()) {
                if (!m_lines.Next(m_line))
                    return false;
                m_at = 0;
                if (!m_line.empty() && m_line[0] == ';')
                    return TextField(token, quoted);
                continue;
            }
            const char c = m_line[m_at];
            if (c == ' ' || c == '\t') {
                ++m_at;
                continue;
            }
            if (c == '#') {
                m_at = m_line.size();
                continue;
            }
            m_tokenLine = m_lines.Number();
            if (c == '\'' || c == '"') {
                // A quote closes where it is followed by a blank or the line's end.
                std::size_t end = m_at + 1;
                while (end < m_line.size() &&
                       !(m_line[end] == c && (end + 1 == m_line.size() || m_line[end + 1] == ' ' || m_line[end + 1] == '\t')))
                    ++end;
                if (end >= m_line.size())
                    throw Error(m_file, m_tokenLine, std::string("unterminated quoted value (") + c + ")");
                token.assign(m_line, m_at + 1, end - m_at - 1);
                m_at = end + 1;
                quoted = true;
                return true;
            }
            std::size_t end = m_at;
            while (end < m_line.size() && m_line[end] != ' ' && m_line[end] != '\t')
                ++end;
            token.assign(m_line, m_at, end - m_at);
            m_at = end;
            quoted = false;
            return true;
        }
    }
    long Line() const { return m_tokenLine; }
    long LastLine() const { return m_lines.Number(); }

private:
    bool TextField(std::string& token, bool& quoted)
    {
        m_tokenLine = m_lines.Number();
        token.assign(m_line, 1, std::string::npos);
        for (;;) {
            if (!m_lines.Next(m_line))
                throw Error(m_file, m_tokenLine, "text field (;) never closed");
            if (!m_line.empty() && m_line[0] == ';') {
                m_at = 1;
                quoted = true;
                return true;
            }
            if (token.size() + m_line.size() > kMaxLine)
                throw Error(m_file, m_tokenLine, "text field longer than " + std::to_string(kMaxLine) + " bytes");
            token += '\n';
            token += m_line;
        }
    }

    LineSource& m_lines;
    std::string m_file;
    std::string m_line;
    std::size_t m_at = 0;
    long m_tokenLine = 0;
};

bool Null(const std::string& value, bool quoted)
{
    return !quoted && value.size() == 1 && (value[0] == '?' || value[0] == '.');
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// "loop_" or "data_..." in any case: where a loop's values end.
bool StartsBlockOrLoop(const std::string& token)
{
    const char c = static_cast<char>(token[0] | 0x20);
    if ((c != 'l' && c != 'd') || token.size() < 5)
        return false;
    const std::string lower = Lower(token.substr(0, 5));
    return lower == "loop_" || lower == "data_";
}

// Columns of the _atom_site loop the reader uses.
enum AtomSiteColumn {
    kGroup, kId, kSymbol, kLabelAtom, kAuthAtom, kAlt, kLabelComp, kAuthComp, kLabelAsym, kAuthAsym,
    kLabelSeq, kAuthSeq, kInsCode, kX, kY, kZ, kOccupancy, kB, kModel, kNumColumns
};

const char* const kAtomSiteTags[kNumColumns] = {
    "group_pdb", "id", "type_symbol", "label_atom_id", "auth_atom_id", "label_alt_id", "label_comp_id",
    "auth_comp_id", "label_asym_id", "auth_asym_id", "label_seq_id", "auth_seq_id", "pdbx_pdb_ins_code",
    "cartn_x", "cartn_y", "cartn_z", "occupancy", "b_iso_or_equiv", "pdbx_pdb_model_num"};

} // namespace

Molecule ReadCif(LineSource& lines, const std::string& fileName, const ReadOptions& options)
{
    Molecule molecule;
    molecule.source = fileName;
    molecule.format = "mmCIF";
    CifTokens tokens(lines, fileName);
    std::string token;
    bool quoted = false;
    bool inBlock = false, pending = false;
    std::vector<Atom> records;
    bool sawAtomSite = false;
    int firstModel = 0;
    std::set<int> models;
    bool modelFound = false;
    // Reads a tag's value in a tag-value pair.
    auto pairValue = [&](const std::string& tag) {
        if (!tokens.Next(token, quoted))
            throw Error(fileName, tokens.LastLine(), tag + " has no value");
        return Null(token, quoted) ? std::string() : token;
    };
    while (pending || tokens.Next(token, quoted)) {
        pending = false;
        if (quoted)
            throw Error(fileName, tokens.Line(), "value '" + Printable(token) + "' without a tag");
        const std::string lower = Lower(token.substr(0, 5));
        if (lower == "data_") {
            if (inBlock)
                break; // the first data block only
            inBlock = true;
            continue;
        }
        if (!inBlock)
            throw Error(fileName, tokens.Line(), "expected a data block (data_...), found '" + Printable(token) + "'");
        if (token[0] == '_') {
            const std::string tag = Lower(token);
            const std::string value = pairValue(token);
            if (tag == "_entry.id")
                molecule.entryId = value;
            else if (tag == "_struct.title")
                molecule.title = value;
            else if (tag.compare(0, 11, "_atom_site.") == 0)
                throw Error(fileName, tokens.Line(), "_atom_site items outside a loop are not read (one atom?)");
            continue;
        }
        if (lower != "loop_")
            throw Error(fileName, tokens.Line(), "unexpected value '" + Printable(token) + "'");
        std::vector<std::string> tags;
        while (tokens.Next(token, quoted)) {
            if (quoted || token[0] != '_')
                break;
            tags.push_back(Lower(token));
        }
        if (tags.empty())
            throw Error(fileName, tokens.Line(), "loop_ without tags");
        const bool atomSite = tags[0].compare(0, 11, "_atom_site.") == 0;
        const long loopLine = tokens.Line();
        int column[kNumColumns];
        std::fill(column, column + kNumColumns, -1);
        if (atomSite) {
            if (sawAtomSite)
                throw Error(fileName, loopLine, "a second _atom_site loop");
            sawAtomSite = true;
            for (std::size_t t = 0; t < tags.size(); ++t)
                for (int c = 0; c < kNumColumns; ++c)
                    if (tags[t].compare(11, std::string::npos, kAtomSiteTags[c]) == 0)
                        column[c] = static_cast<int>(t);
            for (int c : {kX, kY, kZ})
                if (column[c] < 0)
                    throw Error(fileName, loopLine, std::string("_atom_site has no ") + kAtomSiteTags[c] + " column");
            if (column[kLabelAtom] < 0 && column[kAuthAtom] < 0)
                throw Error(fileName, loopLine, "_atom_site has no atom name column");
        }
        // The loop's values, row by row; the token after the last is handed back.
        std::vector<std::string> row(tags.size());
        std::vector<bool> nulls(tags.size());
        std::size_t n = 0;
        long rowLine = 0;
        bool more = true;
        for (;;) {
            if (n == 0) {
                if (!more)
                    break;
                if (!quoted && (token[0] == '_' || StartsBlockOrLoop(token))) {
                    pending = true;
                    break;
                }
                rowLine = tokens.Line();
            }
            if (atomSite) {
                row[n].swap(token);
                nulls[n] = Null(row[n], quoted);
            }
            ++n;
            if (n == tags.size()) {
                n = 0;
                if (atomSite) {
                    auto get = [&](int c, int fallback) -> const std::string* {
                        int k = column[c] >= 0 && !nulls[static_cast<std::size_t>(column[c])] ? column[c]
                                : fallback >= 0 && column[fallback] >= 0 && !nulls[static_cast<std::size_t>(column[fallback])]
                                    ? column[fallback]
                                    : -1;
                        return k < 0 ? nullptr : &row[static_cast<std::size_t>(k)];
                    };
                    auto where = [&](int c) {
                        return std::string(kAtomSiteTags[c]) + " of the row at line " + std::to_string(rowLine);
                    };
                    int model = 1;
                    if (const std::string* m = get(kModel, -1))
                        if (!ParseInt(*m, model))
                            throw Error(fileName, rowLine, "bad pdbx_PDB_model_num '" + Printable(*m) + "'");
                    if (models.empty())
                        firstModel = model;
                    models.insert(model);
                    const int wanted = options.model ? options.model : firstModel;
                    if (model == wanted) {
                        modelFound = true;
                        Atom atom;
                        static double Atom::*const xyz[3] = {&Atom::x, &Atom::y, &Atom::z};
                        for (int k = 0; k < 3; ++k) {
                            const std::string* v = get(kX + k, -1);
                            if (!v || !ParseDecimal(*v, atom.*xyz[k]))
                                throw Error(fileName, rowLine,
                                            "bad coordinate '" + Printable(v ? *v : "?") + "' in " + where(kX + k) +
                                                " (a finite decimal below 1e6 in size)");
                        }
                        if (const std::string* v = get(kId, -1))
                            if (!ParseInt(*v, atom.serial))
                                throw Error(fileName, rowLine, "bad atom id '" + Printable(*v) + "'");
                        const std::string* name = get(kAuthAtom, kLabelAtom);
                        atom.name = name ? *name : std::string();
                        if (const std::string* v = get(kAuthComp, kLabelComp))
                            atom.residue = *v;
                        if (const std::string* v = get(kAuthAsym, kLabelAsym))
                            atom.chain = *v;
                        if (const std::string* v = get(kAuthSeq, kLabelSeq))
                            if (!ParseInt(*v, atom.residueNumber))
                                throw Error(fileName, rowLine, "bad residue number '" + Printable(*v) + "' in " +
                                                                   where(column[kAuthSeq] >= 0 ? kAuthSeq : kLabelSeq));
                        if (const std::string* v = get(kInsCode, -1))
                            atom.insertion = v->size() == 1 ? (*v)[0] : ' ';
                        if (const std::string* v = get(kAlt, -1))
                            atom.altLocation = v->size() == 1 ? (*v)[0] : ' ';
                        if (const std::string* v = get(kOccupancy, -1))
                            if (!ParseDecimal(*v, atom.occupancy))
                                throw Error(fileName, rowLine, "bad occupancy '" + Printable(*v) + "'");
                        if (const std::string* v = get(kB, -1))
                            if (!ParseDecimal(*v, atom.bFactor))
                                throw Error(fileName, rowLine, "bad B-factor '" + Printable(*v) + "'");
                        if (const std::string* v = get(kGroup, -1))
                            atom.hetero = v->size() == 6 && v->compare(0, 6, "HETATM", 6) == 0;
                        const std::string* symbol = get(kSymbol, -1);
                        atom.element = symbol ? NormaliseElement(*symbol) : ElementFromName(" " + atom.name);
                        if (atom.element.empty() ||
                            (symbol && symbol->find_first_not_of(
                                           "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") != std::string::npos))
                            throw Error(fileName, rowLine, "no element for atom '" + Printable(atom.name) + "'");
                        records.push_back(std::move(atom));
                    }
                }
            }
            more = tokens.Next(token, quoted);
            if (!more && n != 0)
                throw Error(fileName, tokens.LastLine(),
                            "loop ends inside a row (" + std::to_string(n) + " of " + std::to_string(tags.size()) +
                                " values)");
            if (!more && n == 0)
                break;
        }
        if (!more && !pending)
            break;
    }
    if (!inBlock)
        throw Error(fileName, tokens.LastLine(), "no data block");
    if (!sawAtomSite)
        throw Error(fileName, tokens.LastLine(), "no atoms (no _atom_site loop)");
    if (options.model > 0 && !modelFound)
        throw Error(fileName, 0,
                    "no model " + std::to_string(options.model) + " among its " + std::to_string(models.size()) +
                        " models");
    Finish(molecule, std::move(records), {}, options, tokens.LastLine());
    return molecule;
}

Molecule ReadCif(const std::string& text, const std::string& fileName, const ReadOptions& options)
{
    StringLines lines(text, fileName);
    return ReadCif(lines, fileName, options);
}

Molecule ReadXyz(LineSource& lines, const std::string& fileName)
{
    Molecule molecule;
    molecule.source = fileName;
    molecule.format = "XYZ";
    std::string line;
    if (!lines.Next(line))
        throw Error(fileName, 1, "empty file");
    int count = 0;
    if (!ParseInt(line, count) || count <= 0)
        throw Error(fileName, 1, "expected the number of atoms, found '" + Printable(Trim(line)) + "'");
    if (!lines.Next(line))
        throw Error(fileName, 2, "missing comment line");
    molecule.title = Trim(line);
    for (int i = 0; i < count; ++i) {
        long lineNumber = i + 3;
        if (!lines.Next(line))
            throw Error(fileName, lineNumber,
                        "file ends after " + std::to_string(i) + " of " + std::to_string(count) + " atoms");
        std::istringstream fields(line);
        std::string symbol, x, y, z;
        Atom atom;
        if (!(fields >> symbol >> x >> y >> z) || !ParseDecimal(x, atom.x) || !ParseDecimal(y, atom.y) ||
            !ParseDecimal(z, atom.z))
            throw Error(fileName, lineNumber,
                        "expected 'element x y z' with decimal coordinates, found '" + Printable(Trim(line)) + "'");
        atom.serial = i + 1;
        std::size_t letters = 0;
        while (letters < symbol.size() && std::isalpha(static_cast<unsigned char>(symbol[letters])))
            ++letters;
        if (letters == 0 || letters > 2 || symbol.find_first_not_of("0123456789", letters) != std::string::npos ||
            !IsElement(symbol.substr(0, letters)))
            throw Error(fileName, lineNumber, "bad element '" + Printable(symbol) + "'");
        atom.element = NormaliseElement(symbol.substr(0, letters));
        atom.name = atom.element + std::to_string(i + 1);
        atom.residue = "XYZ";
        atom.chain = "A";
        atom.residueNumber = 1;
        molecule.atoms.push_back(atom);
    }
    molecule.repeatedSerials = 0;
    return molecule;
}

Molecule ReadXyz(const std::string& text, const std::string& fileName)
{
    StringLines lines(text, fileName);
    return ReadXyz(lines, fileName);
}

Molecule ReadStructureFile(const std::string& path, const ReadOptions& options)
{
    FileLines lines(path);
    const std::string head = lines.Peek();
    std::string name = Lower(path);
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0)
        name.resize(name.size() - 3);
    // The first line that is neither blank nor a comment.
    std::string first;
    for (std::size_t at = 0; at < head.size();) {
        std::size_t end = head.find_first_of("\r\n", at);
        if (end == std::string::npos)
            end = head.size();
        const std::string line = Trim(head.substr(at, end - at));
        if (!line.empty() && line[0] != '#') {
            first = line;
            break;
        }
        at = end + 1;
    }
    const std::string display = path == "-" ? std::string("standard input") : path;
    Molecule molecule;
    int count = 0;
    if (Lower(first.substr(0, 5)) == "data_")
        molecule = ReadCif(lines, display, options);
    else if ((name.size() > 4 && name.compare(name.size() - 4, 4, ".xyz") == 0) ||
             (ParseInt(first, count) && first.find_first_not_of("0123456789") == std::string::npos))
        molecule = ReadXyz(lines, display);
    else
        molecule = ReadPdb(lines, display, options);
    if (lines.Gzip())
        molecule.format += " (gzip)";
    return molecule;
}

std::string Printable(const std::string& text, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == limit)
            return out + "...";
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out;
}

bool ReadsGzip()
{
#if ORVSCENE_HAVE_ZLIB
    return true;
#else
    return false;
#endif
}

bool IsWater(const std::string& residue)
{
    static const char* const names[] = {"HOH", "WAT", "H2O", "DOD", "D2O", "TIP", "TIP3", "TIP4", "SOL", "SPC"};
    for (const char* n : names)
        if (residue == n)
            return true;
    return false;
}

namespace {

// A number in `width` hybrid-36 characters: decimal while it fits, then
// upper-case base 36 from "A0..." (the inverse of ParseHybrid36).
std::string Hybrid36(long value, int width)
{
    long decimal = 1, power = 1;
    for (int i = 0; i < width; ++i) {
        decimal *= 10;
        power *= 36;
    }
    char buffer[32];
    if (value > -decimal / 10 && value < decimal) {
        std::snprintf(buffer, sizeof buffer, "%*ld", width, value);
        return buffer;
    }
    long v = value - decimal + 10 * power / 36;
    const bool upper = v < power;
    if (!upper)
        v -= 26 * power / 36;
    if (v < 0 || v >= power)
        return std::string(static_cast<std::size_t>(width), '*');
    std::string out(static_cast<std::size_t>(width), '0');
    const char* digits = upper ? "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ" : "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = width - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = digits[v % 36];
        v /= 36;
    }
    return out;
}

} // namespace

void WritePdb(std::ostream& out, const Molecule& molecule)
{
    char line[128];
    for (const Atom& a : molecule.atoms) {
        // Names of four characters, and two-letter elements, start in column 13.
        std::string name = a.name.substr(0, 4);
        if (name.size() < 4 && a.element.size() < 2)
            name = " " + name;
        std::snprintf(line, sizeof line, "%-6s%5s %-4s%c%3.3s %c%4s%c   %8.3f%8.3f%8.3f%6.2f%6.2f      %-4.4s%2s\n",
                      a.hetero ? "HETATM" : "ATOM", Hybrid36(a.serial, 5).c_str(), name.c_str(), a.altLocation,
                      a.residue.c_str(), a.chain.empty() ? ' ' : a.chain[0], Hybrid36(a.residueNumber, 4).c_str(),
                      a.insertion, a.x, a.y, a.z, a.occupancy, a.bFactor, a.segment.c_str(), a.element.c_str());
        out << line;
    }
    out << "END\n";
}

Molecule DefaultMolecule()
{
    return ReadPdb(DefaultMoleculeText(), "embedded 3AL1");
}

} // namespace orvscene
