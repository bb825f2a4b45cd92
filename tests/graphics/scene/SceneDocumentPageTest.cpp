// Checks docs/scene-document.md against the documents the library writes: the
// example table's bytes, offsets and widths against the example document, and
// the table of primitive arrays against the display list's own table of kinds.

#include "orvcore/OrvCore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace Orvane;

namespace {

std::vector<std::string> PageLines()
{
    const char* docs = std::getenv("ORVCORE_DOCS");
    std::ifstream in(std::string(docs ? docs : "docs") + "/scene-document.md");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? "" : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The rows (cells) of the table whose header line is `header`.
std::vector<std::vector<std::string>> Table(const std::vector<std::string>& lines, const std::string& header)
{
    std::vector<std::vector<std::string>> rows;
    std::size_t i = 0;
    while (i < lines.size() && lines[i] != header)
        ++i;
    for (i += 2; i < lines.size() && !lines[i].empty() && lines[i][0] == '|'; ++i) {
        std::vector<std::string> cells;
        std::stringstream s(lines[i].substr(1));
        for (std::string cell; std::getline(s, cell, '|');)
            cells.push_back(Trim(cell));
        rows.push_back(cells);
    }
    return rows;
}

} // namespace

TEST(SceneDocumentPage, ExampleTableGivesTheBytesOfTheExampleDocument)
{
    SceneDocument d;
    d.source = "ex";
    d.atoms = 1;
    d.residues = 1;
    d.chains = 1;
    d.coordinates.Add(Point3d(1, 2, 3));
    d.serials.Add(5);
    d.labels.Add("5 CA");
    const std::vector<BYTE> bytes = d.ToBytes();

    const auto rows = Table(PageLines(), "| Offset | Bytes | Field |");
    ASSERT_GT(rows.size(), 15u);
    std::size_t at = 0;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 3u);
        EXPECT_EQ(std::stoul(row[0]), at) << row[2];
        std::vector<BYTE> expected;
        if (row[1].find(" bytes") != std::string::npos) {
            const std::size_t width = std::stoul(row[1]);
            const BYTE* stored = bytes.data() + at;
            if (row[2].find("view attributes") != std::string::npos) {
                CMemFile file;
                CArchive ar(&file, CArchive::store);
                ar.m_nObjectSchema = SceneDocument::kSchema;
                GraphicsAttributes().Serialize(ar);
                ar.Close();
                expected = file.GetBytes();
            } else if (row[2].find("identity") != std::string::npos) {
                const Matrix4x4 identity(Matrix4x4::IdentityMatrix);
                expected.resize(128);
                std::memcpy(expected.data(), static_cast<const double*>(identity), 128);
            } else {
                expected.assign(width, 0);
            }
            EXPECT_EQ(expected.size(), width) << row[2];
            ASSERT_LE(at + width, bytes.size());
            EXPECT_EQ(std::vector<BYTE>(stored, stored + width), expected) << row[2];
            at += width;
            continue;
        }
        std::stringstream hex(row[1]);
        for (std::string b; hex >> b;) {
            ASSERT_LT(at, bytes.size()) << row[2];
            EXPECT_EQ(bytes[at], std::stoul(b, nullptr, 16)) << row[2] << " byte " << b;
            ++at;
        }
    }
    EXPECT_EQ(at, bytes.size());
}

TEST(SceneDocumentPage, ArrayTableFollowsTheDisplayListKinds)
{
    std::vector<std::string> kinds;
#define PAGE_ONE(Type, member, Plural, Singular)                                                                \
    if (std::string(#Type) != "VolumePrimitive")                                                                \
        kinds.push_back(#Type);
#define PAGE_SPLIT(Type, opaque, transparent, Plural, Singular)                                                 \
    kinds.push_back("opaque " #Type);                                                                           \
    kinds.push_back("transparent " #Type);
    ORVCORE_DISPLAYLIST_KINDS(PAGE_ONE, PAGE_SPLIT)
#undef PAGE_SPLIT
#undef PAGE_ONE

    const auto rows = Table(PageLines(), "| Index | Array | Primitive |");
    ASSERT_EQ(rows.size(), kinds.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::stoul(rows[i][0]), i);
        std::string kind = rows[i][2];
        for (const char* split : {"opaque ", "transparent "})
            if (rows[i][1].rfind(split, 0) == 0)
                kind = split + kind;
        EXPECT_EQ(kind, kinds[i]) << rows[i][1];
    }
}
