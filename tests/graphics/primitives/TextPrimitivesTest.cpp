#include "orvcore/graphics/primitives/TextPrimitives.h"

#include "orvcore/geometry/Matrix4x4.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

using namespace Orvane;
using namespace testing_bytes;

namespace {

Bytes FontBytes(const std::string& face, std::int32_t size)
{
    return Concat({Text(face), Int32(size)});
}

// The shape part of a text string with the given identifier and origin,
// white outline of width 1, not filled, not stippled, pattern 4.
Bytes DefaultShape(std::uint32_t id, double x, double y)
{
    return Concat({UInt32(id), Doubles({x, y}), Rgba(255, 255, 255, 0), Rgba(255, 255, 255, 0), Int32(1), Int32(1),
                   Int32(0), Int32(0), Int32(4)});
}

} // namespace

TEST(TextPrimitivesTest, Fonts)
{
    EXPECT_TRUE(Font::DefaultFont() == Font("Arial", 12));
    EXPECT_TRUE(Font::DefaultBigFont() == Font("Arial", 16));
    EXPECT_TRUE(Font("arial", 12) != Font::DefaultFont());
    EXPECT_TRUE(Font("Arial", 13) != Font::DefaultFont());
    EXPECT_TRUE(Font() == Font::DefaultFont());

    Font f("Times New Roman", 0);
    EXPECT_EQ(f.GetSize(), 0); // the constructor stores what it is given
    f.SetSize(9);
    f.SetSize(0);
    f.SetSize(-3);
    EXPECT_EQ(f.GetSize(), 9);

    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { f.Serialize(ar); }), FontBytes("Times New Roman", 9));
    Font back;
    Load(FontBytes("Courier New", 0), kUnset, [&](CArchive& ar) { back.Serialize(ar); });
    EXPECT_EQ(back.GetFace(), CString("Courier New"));
    EXPECT_EQ(back.GetSize(), 12); // a stored size of 0 is not taken

    for (int code : {1, 2, 3, 0, 4, -1}) {
        Font g("Symbol", 10);
        g.SetFaceFromCode(code);
        const char* expected[] = {"Symbol", "Arial", "Times New Roman", "Courier New"};
        EXPECT_EQ(g.GetFace(), CString(code >= 1 && code <= 3 ? expected[code] : expected[0])) << code;
        EXPECT_EQ(g.GetFaceCode(), code >= 1 && code <= 3 ? code : 0) << code;
    }
    EXPECT_EQ(Font("Courier New ", 1).GetFaceCode(), 0); // the whole name must match
    EXPECT_EQ(Font("courier new", 1).GetFaceCode(), 0);
}

TEST(TextPrimitivesTest, Text3DLayoutsBySchema)
{
    Text3DPrimitive t("Ca", Point3d(1, 2, 3), 0.5, Color(10, 20, 30, 40), Font("Courier New", 14), 7);
    t.SetIsAnnotation(true);
    EXPECT_STREQ(t.GetText(), "Ca");
    EXPECT_TRUE(t.GetPosition() == Point3d(1, 2, 3));
    Text3DPrimitive label("O", Point3d(1, 1, 1), Color::Red(), 4);
    EXPECT_TRUE(label.GetFont() == Font::DefaultFont());
    EXPECT_EQ(label.GetZOffset(), 0.0);
    EXPECT_FALSE(label.GetIsAnnotation());
    label.SetText(nullptr);
    EXPECT_STREQ(label.GetText(), "");

    const Bytes tail = Concat({Doubles({0.5}), Int32(1)});
    // Current layout: the point right after the identifier.
    const Bytes current = Concat({UInt32(7), Rgba(10, 20, 30, 0), Floats({1, 2, 3}), Text("Ca"),
                                  FontBytes("Courier New", 14), tail});
    EXPECT_EQ(Store(11, [&](CArchive& ar) { t.Serialize(ar); }), current);
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { t.Serialize(ar); }),
              Concat({UInt32(7), Rgba(10, 20, 30, 0), Doubles({1, 2, 3}), Text("Ca"), FontBytes("Courier New", 14),
                      tail}));
    // Older layout: the position after the font; the face as a string in
    // schema 10, as its code before.
    EXPECT_EQ(Store(10, [&](CArchive& ar) { t.Serialize(ar); }),
              Concat({UInt32(7), Rgba(10, 20, 30, 0), Text("Ca"), FontBytes("Courier New", 14), Floats({1, 2, 3}),
                      tail}));
    EXPECT_EQ(Store(9, [&](CArchive& ar) { t.Serialize(ar); }),
              Concat({UInt32(7), Rgba(10, 20, 30, 0), Text("Ca"), Int32(3), Int32(14), Floats({1, 2, 3}), tail}));
    EXPECT_EQ(Store(0, [&](CArchive& ar) { t.Serialize(ar); }),
              Concat({UInt32(7), Rgba(10, 20, 30, 0), Text("Ca"), Int32(3), Int32(14), Doubles({1, 2, 3}), tail}));

    for (UINT schema : {11u, kUnset, 10u, 9u, 0u}) {
        Text3DPrimitive back;
        Bytes bytes = Store(schema, [&](CArchive& ar) { t.Serialize(ar); });
        EXPECT_EQ(Load(bytes, schema, [&](CArchive& ar) { back.Serialize(ar); }), 0u) << schema;
        EXPECT_STREQ(back.GetText(), "Ca");
        EXPECT_TRUE(back.GetFont() == Font("Courier New", 14)) << schema;
        EXPECT_TRUE(back.GetPosition() == Point3d(1, 2, 3)) << schema;
        EXPECT_EQ(back.GetZOffset(), 0.5);
        EXPECT_TRUE(back.GetIsAnnotation());
        EXPECT_EQ(back.GetColor(), Color(10, 20, 30, 0));
        EXPECT_EQ(back.GetID(), 7u);
    }
}

TEST(TextPrimitivesTest, Text3DLegacyFontCodesAndFlags)
{
    // Schema 9: the face as a code; the colour taken whole; annotation 2 is set.
    auto legacy = [](std::int32_t code, std::int32_t size, std::int32_t annotation, bool widePoint = false) {
        return Concat({UInt32(3), Rgba(1, 2, 3, 4), Text("N"), Int32(code), Int32(size),
                       widePoint ? Doubles({4, 5, 6}) : Floats({4, 5, 6}), Doubles({-1.0}), Int32(annotation)});
    };
    Text3DPrimitive t;
    EXPECT_EQ(Load(legacy(2, 20, 2), 9, [&](CArchive& ar) { t.Serialize(ar); }), 0u);
    EXPECT_TRUE(t.GetFont() == Font("Times New Roman", 20));
    EXPECT_EQ(t.GetColor(), Color(1, 2, 3, 4));
    EXPECT_TRUE(t.GetPosition() == Point3d(4, 5, 6));
    EXPECT_EQ(t.GetZOffset(), -1.0);
    EXPECT_TRUE(t.GetIsAnnotation());

    Text3DPrimitive fresh;
    EXPECT_EQ(Load(legacy(7, 0, 0), 9, [&](CArchive& ar) { fresh.Serialize(ar); }), 0u);
    EXPECT_TRUE(fresh.GetFont() == Font::DefaultFont()); // unknown code, size 0: both kept
    EXPECT_FALSE(fresh.GetIsAnnotation());

    Text3DPrimitive code3;
    EXPECT_EQ(Load(legacy(3, 8, 0, true), 0, [&](CArchive& ar) { code3.Serialize(ar); }), 0u);
    EXPECT_TRUE(code3.GetFont() == Font("Courier New", 8));
    EXPECT_TRUE(code3.GetPosition() == Point3d(4, 5, 6));

    // Schema 10 reads the face as a string.
    Text3DPrimitive named;
    const Bytes ten = Concat({UInt32(3), Rgba(1, 2, 3, 4), Text("N"), FontBytes("Times New Roman", 5),
                              Floats({4, 5, 6}), Doubles({-1.0}), Int32(0)});
    EXPECT_EQ(Load(ten, 10, [&](CArchive& ar) { named.Serialize(ar); }), 0u);
    EXPECT_TRUE(named.GetFont() == Font("Times New Roman", 5));
    EXPECT_EQ(named.GetColor(), Color(1, 2, 3, 4));
}

TEST(TextPrimitivesTest, TextStringBoxAndCalloutForms)
{
    TextStringPrimitive s("Hi", Font("Times New Roman", 9), Point2d(3, 4), true, Color::White(), 1, false,
                          Color::White(), 5);
    EXPECT_EQ(s.GetCursorPosition(), 0);
    EXPECT_FALSE(s.GetShowCursor());
    s.SetCursorPosition(2);
    s.SetShowCursor(true);
    const Bytes stringBytes =
        Concat({DefaultShape(5, 3, 4), Text("Hi"), FontBytes("Times New Roman", 9), Int32(2), Int32(1)});
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { s.Serialize(ar); }), stringBytes);
    EXPECT_EQ(Store(10, [&](CArchive& ar) { s.Serialize(ar); }), stringBytes);
    EXPECT_EQ(Store(9, [&](CArchive& ar) { s.Serialize(ar); }),
              Concat({DefaultShape(5, 3, 4), Text("Hi"), Int32(2), Int32(9), Int32(2), Int32(1)}));
    // A face with no code goes in as code 0, which loading passes over.
    TextStringPrimitive symbol = s;
    symbol.SetFont(Font("Symbol", 9));
    const Bytes noCode = Concat({DefaultShape(5, 3, 4), Text("Hi"), Int32(0), Int32(9), Int32(2), Int32(1)});
    EXPECT_EQ(Store(9, [&](CArchive& ar) { symbol.Serialize(ar); }), noCode);
    TextStringPrimitive keeps;
    keeps.SetFont(Font("Wingdings", 30));
    EXPECT_EQ(Load(noCode, 9, [&](CArchive& ar) { keeps.Serialize(ar); }), 0u);
    EXPECT_TRUE(keeps.GetFont() == Font("Wingdings", 9));

    // Show cursor stored as 2 is hidden; unset and 10 read the face as a
    // string, 9 as a code.
    const Bytes two =
        Concat({DefaultShape(5, 3, 4), Text("Hi"), FontBytes("Times New Roman", 9), Int32(2), Int32(2)});
    for (UINT schema : {kUnset, 10u}) {
        TextStringPrimitive back;
        EXPECT_EQ(Load(two, schema, [&](CArchive& ar) { back.Serialize(ar); }), 0u);
        EXPECT_FALSE(back.GetShowCursor());
        EXPECT_EQ(back.GetCursorPosition(), 2);
        EXPECT_TRUE(back.GetFont() == Font("Times New Roman", 9));
        EXPECT_EQ(back.GetTextString(), CString("Hi"));
    }
    TextStringPrimitive coded;
    const Bytes codeBytes = Concat({DefaultShape(5, 3, 4), Text("Hi"), Int32(3), Int32(11), Int32(0), Int32(1)});
    EXPECT_EQ(Load(codeBytes, 9, [&](CArchive& ar) { coded.Serialize(ar); }), 0u);
    EXPECT_TRUE(coded.GetFont() == Font("Courier New", 11));
    EXPECT_TRUE(coded.GetShowCursor());

    TextBoxPrimitive box(2.5f, true, "Box", Font(), Point2d(1, 1), true, Color::White(), 1, false, Color::White(),
                         6);
    const Bytes boxBytes = Concat({DefaultShape(6, 1, 1), Text("Box"), FontBytes("Arial", 12), Int32(0), Int32(0),
                                   Floats({2.5f}), Int32(1)});
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { box.Serialize(ar); }), boxBytes);
    Bytes handles2 = boxBytes;
    handles2[handles2.size() - 4] = 2;
    TextBoxPrimitive boxBack;
    EXPECT_EQ(Load(handles2, kUnset, [&](CArchive& ar) { boxBack.Serialize(ar); }), 0u);
    EXPECT_FALSE(boxBack.GetShowHandles());
    EXPECT_EQ(boxBack.GetBoxWidth(), 2.5f);
    EXPECT_EQ(TextBoxPrimitive("x", Font(), Point2d(), true, Color(), 1, false, Color(), 0).GetBoxWidth(), 0.0f);

    TextCalloutPrimitive callout(Point3d(7, 8, 9), 2.5f, true, "Box", Font(), Point2d(1, 1), true, Color::White(),
                                 1, false, Color::White(), 6);
    callout.SetLocation2d(Point2d(-1, -2));
    // Schema 7 names the face by its code (Arial, 1).
    const Bytes codedBox = Concat({DefaultShape(6, 1, 1), Text("Box"), Int32(1), Int32(12), Int32(0), Int32(0),
                                   Floats({2.5f}), Int32(1)});
    EXPECT_EQ(Store(7, [&](CArchive& ar) { callout.Serialize(ar); }),
              Concat({codedBox, Floats({7, 8, 9}), Doubles({-1, -2})}));
    TextStringPrimitive& base = callout;
    EXPECT_EQ(Store(kUnset, [&](CArchive& ar) { base.Serialize(ar); }),
              Concat({boxBytes, Doubles({7, 8, 9}), Doubles({-1, -2})}));

    Matrix4x4 move;
    move.SetTranslation(1, 1, 1);
    callout.Transform(move);
    EXPECT_TRUE(callout.GetLocation() == Point3d(8, 9, 10));
    EXPECT_EQ(callout.GetOrigin().GetX(), 1.0);
    EXPECT_EQ(callout.GetLocation2d().GetY(), -2.0);
    EXPECT_EQ(TextCalloutPrimitive(1.0f, false, "", Font(), Point2d(), true, Color(), 1, false, Color(), 0)
                  .GetLocation2d()
                  .GetX(),
              0.0);
}
