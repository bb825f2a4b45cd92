#include "orvcore/core/CArchive.h"
#include "orvcore/core/CMemFile.h"
#include "orvcore/text/UniqueString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Orvane::UniqueString;
using Orvane::UniqueStringTable;

namespace {

using Bytes = std::vector<BYTE>;

// A private table, to reach the table's own operations without touching the
// process-wide one.
struct Table : UniqueStringTable
{
    using UniqueStringTable::Add;
    using UniqueStringTable::Find;
};

Bytes Store(UniqueString& s)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    s.Serialize(ar);
    ar.Close();
    return file.GetBytes();
}

UniqueString Load(const Bytes& bytes)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    UniqueString s("placeholder");
    s.Serialize(ar);
    return s;
}

} // namespace

TEST(UniqueString, EqualTextsShareOneStringDifferentTextsDoNot)
{
    CString text("HG21");
    UniqueString fromChars("HG21");
    UniqueString fromCString(text);
    EXPECT_EQ(fromChars.StringPtr(), fromCString.StringPtr());
    EXPECT_EQ(&fromChars.String(), fromChars.StringPtr());
    EXPECT_TRUE(fromChars == fromCString);
    EXPECT_EQ(fromChars.String(), "HG21");

    // Interning is case-sensitive.
    UniqueString lower("hg21");
    EXPECT_NE(lower.StringPtr(), fromChars.StringPtr());
    EXPECT_TRUE(lower != fromChars);

    // Copies and assignments land on the same stored string.
    UniqueString copy(fromChars);
    UniqueString assigned("CA");
    assigned = fromCString;
    EXPECT_EQ(copy.StringPtr(), fromChars.StringPtr());
    EXPECT_EQ(assigned.StringPtr(), fromChars.StringPtr());
    assigned = "hg21";
    EXPECT_EQ(assigned.StringPtr(), lower.StringPtr());
    assigned = CString("HG21");
    EXPECT_EQ(assigned.StringPtr(), fromChars.StringPtr());

    // The stored text is independent of the caller's buffer.
    char buffer[] = "O1P";
    UniqueString fromBuffer(buffer);
    buffer[0] = 'X';
    EXPECT_EQ(fromBuffer.String(), "O1P");
    EXPECT_EQ(UniqueString("O1P").StringPtr(), fromBuffer.StringPtr());
}

TEST(UniqueString, EmptyAndNullTextsAreTheNullString)
{
    const char* none = nullptr;
    UniqueString a(none);
    UniqueString b("");
    UniqueString c{CString()};
    UniqueString d;
    UniqueString e("N");
    e = "";
    for (const UniqueString* s : {&a, &b, &c, &d, &e})
        EXPECT_EQ(s->StringPtr(), &UniqueStringTable::null);
    EXPECT_TRUE(UniqueStringTable::null.IsEmpty());
}

TEST(UniqueString, StoredStringsKeepTheirAddressesAsTheTableGrows)
{
    Table table;
    EXPECT_EQ(table.Find("C5'"), &UniqueStringTable::null); // no map yet
    EXPECT_EQ(table.Add(nullptr), &UniqueStringTable::null);
    EXPECT_EQ(table.Add(""), &UniqueStringTable::null);

    std::vector<std::string> names;
    std::vector<const CString*> stored;
    for (int i = 0; i < 5000; ++i) {
        names.push_back("C" + std::to_string(i) + "'");
        stored.push_back(table.Add(names.back().c_str()));
        ASSERT_EQ(*stored.back(), names.back().c_str());
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(table.Add(names[i].c_str()), stored[i]);
        EXPECT_EQ(table.Find(names[i].c_str()), stored[i]);
    }

    // Find never stores.
    EXPECT_EQ(table.Find("OXT"), &UniqueStringTable::null);
    EXPECT_EQ(table.Find("OXT"), &UniqueStringTable::null);
    EXPECT_EQ(table.Find(""), &UniqueStringTable::null);
    EXPECT_EQ(table.Find(nullptr), &UniqueStringTable::null);
    const CString* oxt = table.Add("OXT");
    EXPECT_NE(oxt, &UniqueStringTable::null);
    EXPECT_EQ(table.Find("OXT"), oxt);
}

TEST(UniqueString, ArchiveFormIsOneFrameworkString)
{
    UniqueString ca("CA");
    Bytes bytes = Store(ca);
    EXPECT_EQ(bytes, (Bytes{0x02, 'C', 'A'}));
    UniqueString loaded = Load(bytes);
    EXPECT_EQ(loaded.StringPtr(), UniqueString("CA").StringPtr());

    UniqueString empty;
    EXPECT_EQ(Store(empty), (Bytes{0x00}));
    EXPECT_EQ(Load(Bytes{0x00}).StringPtr(), &UniqueStringTable::null);

    // A text that has never been interned is interned on loading.
    UniqueString fresh = Load(Bytes{0x04, 'Z', 'Q', '9', '9'});
    EXPECT_EQ(fresh.String(), "ZQ99");
    EXPECT_EQ(fresh.StringPtr(), UniqueString("ZQ99").StringPtr());

    // 300 characters take the long length prefix.
    UniqueString longText(CString('x', 300));
    Bytes longBytes = Store(longText);
    ASSERT_EQ(longBytes.size(), 303u);
    EXPECT_EQ(Bytes(longBytes.begin(), longBytes.begin() + 3), (Bytes{0xFF, 0x2C, 0x01}));
    EXPECT_EQ(Load(longBytes).StringPtr(), longText.StringPtr());

    // A truncated string is archive damage and leaves the handle as it was.
    UniqueString target("N");
    CMemFile file(Bytes{0x05, 'A', 'B'}.data(), 3);
    CArchive ar(&file, CArchive::load);
    EXPECT_THROW(target.Serialize(ar), CArchiveException);
    EXPECT_EQ(target.StringPtr(), UniqueString("N").StringPtr());
}
