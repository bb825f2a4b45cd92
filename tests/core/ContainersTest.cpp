#include "orvcore/core/Arrays.h"
#include "orvcore/core/CArray.h"
#include "orvcore/core/CMap.h"
#include "orvcore/core/CMapStringToPtr.h"
#include "orvcore/core/CString.h"
#include "orvcore/core/CStringArray.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <new>
#include <random>

TEST(CString, ValueSemanticsAndSearches)
{
    CString a("carbon");
    CString b = a;
    b.MakeUpper();
    EXPECT_EQ(a, "carbon");
    EXPECT_EQ(b, "CARBON");

    EXPECT_EQ(a.Find('r'), 2);
    EXPECT_EQ(a.Find('z'), -1);
    EXPECT_EQ(a.Find('o', 4), 4);
    EXPECT_EQ(a.Find('c', 6), -1);
    EXPECT_EQ(a.Find("bon"), 3);
    EXPECT_EQ(a.FindOneOf("xyzn"), 5);
    EXPECT_EQ(a.FindOneOf("xyz"), -1);
    EXPECT_EQ(a.FindOneOf(""), -1);
    EXPECT_EQ(a.ReverseFind('o'), 4);

    // Indices outside the string, and texts taken from the string itself.
    for (int index : {-1, INT_MIN, 6, INT_MAX}) {
        b.SetAt(index, 'x');
        EXPECT_EQ(b.GetAt(index), '\0');
    }
    EXPECT_EQ(b, "CARBON");
    b.Insert(3, b.GetString());
    EXPECT_EQ(b, "CARCARBONBON");
    b = b.GetString() + 3;
    EXPECT_EQ(b, "CARBONBON");
}

TEST(CString, MidLeftRightClampToTheString)
{
    CString s("abcdef");
    EXPECT_EQ(s.Mid(2), "cdef");
    EXPECT_EQ(s.Mid(2, 2), "cd");
    EXPECT_EQ(s.Mid(-3, 2), "ab");
    EXPECT_EQ(s.Mid(4, 100), "ef");
    EXPECT_EQ(s.Mid(10), "");
    EXPECT_EQ(s.Mid(1, -1), "");
    EXPECT_EQ(s.Left(3), "abc");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Left(99), "abcdef");
    EXPECT_EQ(s.Right(2), "ef");
    EXPECT_EQ(s.Right(99), "abcdef");
    EXPECT_EQ(s.Mid(INT_MIN), "abcdef");
    EXPECT_EQ(s.Mid(INT_MAX), "");
    EXPECT_EQ(s.Mid(INT_MIN, INT_MAX), "abcdef");
}

TEST(CString, TrimFormatAndBuffers)
{
    CString s(" \t x y \n");
    s.TrimLeft();
    EXPECT_EQ(s, "x y \n");
    s.TrimRight();
    EXPECT_EQ(s, "x y");

    CString f;
    f.Format("%d-%s-%.2f", 7, "N", 1.5);
    EXPECT_EQ(f, "7-N-1.50");
    std::string longText(1000, 'z');
    f.Format("%s!", longText.c_str());
    EXPECT_EQ(f.GetLength(), 1001);

    CString buf;
    char* p = buf.GetBuffer(10);
    std::snprintf(p, 11, "%s", "HETATM");
    buf.ReleaseBuffer();
    EXPECT_EQ(buf, "HETATM");
    EXPECT_EQ(buf.GetLength(), 6);
    buf.GetBuffer(0)[0] = 'h';
    buf.ReleaseBuffer(3);
    EXPECT_EQ(buf, "hET");

    CString lower("MiXeD");
    lower.MakeLower();
    EXPECT_EQ(lower, "mixed");
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
    EXPECT_LT(CString("abc").Compare("abd"), 0);
    EXPECT_GT(CString("\xE9").Compare("a"), 0); // bytes compare unsigned
    EXPECT_EQ(CString("a") + "b" + CString("c") + 'd', "abcd");
}

TEST(CArray, SetSizeConstructsNewAndDestroysSurplusInOrder)
{
    CArray<CString, const CString&> a;
    a.SetSize(3, 10);
    EXPECT_EQ(a.GetSize(), 3);
    EXPECT_TRUE(a[2].IsEmpty());
    a[0] = "x";
    a[1] = "y";
    a.SetSize(1);
    ASSERT_EQ(a.GetSize(), 1);
    EXPECT_EQ(a[0], "x");
    a.SetSize(2);
    EXPECT_TRUE(a[1].IsEmpty());

    Orvane::IntArray ints;
    EXPECT_EQ(ints.Add(5), 0);
    EXPECT_EQ(ints.Add(6), 1);
    ints.SetSize(4);
    EXPECT_EQ(ints[2], 0);
    EXPECT_EQ(ints[3], 0);
    ints.InsertAt(1, 9, 2);
    EXPECT_EQ(ints.GetSize(), 6);
    EXPECT_EQ(ints[1], 9);
    EXPECT_EQ(ints[3], 6);
    ints.RemoveAt(0, 3);
    EXPECT_EQ(ints[0], 6);
    ints.SetAtGrow(6, 1);
    EXPECT_EQ(ints.GetSize(), 7);

    ints.RemoveAt(1, INT_MAX); // everything from index 1 on
    ASSERT_EQ(ints.GetSize(), 1);
    EXPECT_EQ(ints[0], 6);
    ints.Add(7);
    EXPECT_EQ(ints.Append(ints), 2);
    ASSERT_EQ(ints.GetSize(), 4);
    EXPECT_EQ(ints[2], 6);
    EXPECT_EQ(ints[3], 7);

    Orvane::DoubleArray d1, d2;
    d1.Add(1.5);
    d2.Copy(d1);
    d1[0] = 2.5;
    EXPECT_EQ(d2[0], 1.5);
}

namespace {

// Marks itself when destroyed, so a read after the storage was freed shows as -1.
struct Poisoned {
    int value = 0;
    Poisoned() = default;
    Poisoned(int v) : value(v) {}
    Poisoned(const Poisoned&) = default;
    Poisoned& operator=(const Poisoned&) = default;
    ~Poisoned() { value = -1; }
};

// Grows past the capacity with the argument taken from the array itself.
template <class Array, class Make, class Read>
void CheckSelfReferencingGrowth(Make make, Read read)
{
    Array a;
    for (int i = 0; i < 4; ++i)
        a.Add(make(i + 10));
    a.FreeExtra();
    a.SetAtGrow(40, a[3]);
    ASSERT_EQ(a.GetSize(), 41);
    EXPECT_EQ(read(a[40]), 13);
    a.FreeExtra();
    a.InsertAt(60, a[1], 2);
    ASSERT_EQ(a.GetSize(), 62);
    EXPECT_EQ(read(a[60]), 11);
    EXPECT_EQ(read(a[61]), 11);
    a.FreeExtra();
    a.InsertAt(0, a[2], 3);
    EXPECT_EQ(read(a[0]), 12);
    EXPECT_EQ(read(a[2]), 12);
    EXPECT_EQ(read(a[3]), 10);
    a.FreeExtra();
    a.Add(a[0]);
    EXPECT_EQ(read(a[a.GetUpperBound()]), 12);
    a.SetAt(5, a[4]);
    EXPECT_EQ(read(a[5]), 11);
}

} // namespace

TEST(CArray, ElementsOfTheArrayItselfAreCopiedBeforeTheStorageMoves)
{
    CheckSelfReferencingGrowth<Orvane::IntArray>([](int v) { return v; }, [](int v) { return v; });
    CheckSelfReferencingGrowth<CArray<Poisoned>>([](int v) { return Poisoned(v); },
                                                 [](const Poisoned& p) { return p.value; });
    // Long enough to live on the heap, so a freed buffer is really gone.
    auto text = [](int v) { return CString('x', 40) + CString(std::to_string(v)); };
    auto number = [](const CString& s) { return std::stoi(s.Mid(40).str()); };
    CheckSelfReferencingGrowth<CArray<CString>>(text, number);
    CheckSelfReferencingGrowth<CStringArray>(text, number);
    // Short strings live inside the element itself and move with it.
    CheckSelfReferencingGrowth<CStringArray>([](int v) { return CString(std::to_string(v)); },
                                             [](const CString& s) { return std::stoi(s.str()); });
}

TEST(CArray, BadIndicesAndSizesLeaveTheArrayAlone)
{
    Orvane::IntArray a;
    a.Add(1);
    a.Add(2);
    for (int index : {-1, INT_MIN}) {
        a.InsertAt(index, 9);
        a.InsertAt(index, 9, INT_MAX);
        a.SetAtGrow(index, 9);
        a.SetAt(index, 9);
        a.ElementAt(index) = 9;
        a[index] = 9;
        a.RemoveAt(index);
    }
    a.SetAt(2, 9);
    a.GetAt(2) = 9;
    a.InsertAt(1, 9, INT_MIN);
    a.RemoveAt(0, INT_MIN);
    ASSERT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);
    EXPECT_EQ(a[-1], 0); // the scratch element, reset on every access
    EXPECT_EQ(a[2], 0);

    // Sizes past INT_MAX elements cannot be indexed: refused before anything changes.
    EXPECT_THROW(a.SetAtGrow(INT_MAX, 9), std::bad_alloc);
    EXPECT_THROW(a.InsertAt(INT_MAX, 9), std::bad_alloc);
    EXPECT_THROW(a.InsertAt(1, 9, INT_MAX), std::bad_alloc);
    EXPECT_THROW(a.InsertAt(INT_MAX - 1, 9, 2), std::bad_alloc);
    ASSERT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[1], 2);
}

TEST(CMap, AgreesWithAStandardMapUnderRandomUse)
{
    CMap<int, int, int, int> map;
    map.InitHashTable(97);
    std::map<int, int> reference;
    std::mt19937 rng(3);
    for (int step = 0; step < 20000; ++step) {
        int key = static_cast<int>(rng() % 500) - 250;
        switch (rng() % 3) {
        case 0:
            map[key] = step;
            reference[key] = step;
            break;
        case 1:
            EXPECT_EQ(map.RemoveKey(key), reference.erase(key) == 1);
            break;
        default: {
            int value = -1;
            bool found = map.Lookup(key, value);
            auto it = reference.find(key);
            ASSERT_EQ(found, it != reference.end());
            if (found) {
                EXPECT_EQ(value, it->second);
            }
        }
        }
    }
    EXPECT_EQ(map.GetCount(), static_cast<int>(reference.size()));
    std::map<int, int> walked;
    for (POSITION pos = map.GetStartPosition(); pos;) {
        int k, v;
        map.GetNextAssoc(pos, k, v);
        EXPECT_TRUE(walked.emplace(k, v).second);
    }
    EXPECT_EQ(walked, reference);

    CMap<int, int, int, int> copy(map);
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(copy.GetCount(), static_cast<int>(reference.size()));
}

namespace {

// A value that counts its live copies and can be told to fail the next
// assignments.
struct Counted {
    static int live;
    static int assignmentsLeft;
    Counted() { ++live; }
    Counted(const Counted&) { ++live; }
    Counted& operator=(const Counted&)
    {
        if (assignmentsLeft-- == 0)
            throw std::bad_alloc();
        return *this;
    }
    ~Counted() { --live; }
};
int Counted::live = 0;
int Counted::assignmentsLeft = -1;

} // namespace

TEST(CMap, ACopyThatFailsPartWayLeavesNothingBehind)
{
    {
        CMap<int, int, Counted, const Counted&> map;
        for (int k = 0; k < 20; ++k)
            map[k] = Counted();
        const int before = Counted::live;
        Counted::assignmentsLeft = 10;
        EXPECT_THROW((CMap<int, int, Counted, const Counted&>(map)), std::bad_alloc);
        Counted::assignmentsLeft = -1;
        EXPECT_EQ(Counted::live, before);
    }
    EXPECT_EQ(Counted::live, 0);
}

TEST(CMap, StringKeysAndPointers)
{
    CMapStringToPtr map;
    int a = 1, b = 2;
    map.SetAt("ORV.jack", &a);
    map["ORV.cross"] = &b;
    void* p = nullptr;
    EXPECT_TRUE(map.Lookup("ORV.jack", p));
    EXPECT_EQ(p, &a);
    EXPECT_FALSE(map.Lookup("ORV.JACK", p));
    map["ORV.jack"] = &b;
    EXPECT_TRUE(map.Lookup("ORV.jack", p));
    EXPECT_EQ(p, &b);
    EXPECT_EQ(map.GetCount(), 2);
    EXPECT_EQ(map.GetStartPosition() == nullptr, false);
    CMapStringToPtr empty;
    EXPECT_EQ(empty.GetStartPosition(), nullptr);

    // A null key is the empty string, as for CString.
    EXPECT_FALSE(map.Lookup(nullptr, p));
    map[nullptr] = &a;
    EXPECT_TRUE(map.Lookup("", p));
    EXPECT_EQ(p, &a);
    EXPECT_TRUE(map.RemoveKey(nullptr));
    EXPECT_EQ(map.GetCount(), 2);
}
