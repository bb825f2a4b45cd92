#include "orvcore/graphics/scene/GraphicsAttributes.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Orvane;

namespace {

using Bytes = testing_bytes::ByteImage;
using testing_bytes::kUnset;
using testing_bytes::Store;

// Loads `object` from the bytes and returns how many bytes were read.
template <class T>
ULONGLONG Load(T& object, const std::vector<BYTE>& bytes, UINT schema)
{
    return bytes.size() - testing_bytes::Load(object, bytes, schema);
}

double kMatrix[16];

LightSource TestLight(int i)
{
    return LightSource(Point3d(i + 0.5, -i, 2 * i), Color(10 * i, 20 + i, 30, i), i % 2 == 1);
}

GraphicsAttributes TestAttributes()
{
    for (int i = 0; i < 16; ++i)
        kMatrix[i] = i * 1.25 - 3;
    GraphicsAttributes a;
    a.SetViewSize(22.5);
    a.SetQuality(3);
    a.SetProjection(-2);
    for (int i = 0; i < 4; ++i)
        a.SetLight(i, TestLight(i + 1));
    a.SetFog(true);
    a.SetStereo(true);
    a.SetStereoAngle(4.25);
    a.SetStereoSeparationFactor(0.75);
    a.SetStereoSkewFactor(0.5);
    a.SetPerspectiveAngle(30.0);
    a.SetBkColor(Color(1, 2, 3, 4));
    a.SetLineWidth(2.5);
    a.SetFontScale(1.5);
    a.SetFastRender(false);
    a.SetZFarAdj(-1.5f);
    a.SetZNearAdj(0.25f);
    a.SetMatrix(Matrix4x4(kMatrix));
    return a;
}

Bytes& LightBytes(Bytes& b, int i, bool floats)
{
    return b.Rgba(static_cast<BYTE>(10 * i), static_cast<BYTE>(20 + i), 30, static_cast<BYTE>(i))
        .Point(static_cast<float>(i) + 0.5f, static_cast<float>(-i), static_cast<float>(2 * i), floats)
        .U8(i % 2 == 1 ? 1 : 0);
}

// The fields after the lights, in the archive's order.
Bytes& SettingsBytes(Bytes& b)
{
    return b.F32(22.5f).I32(3).I32(-2).I32(1).I32(1).F32(4.25f).F32(30.0f).F32(2.5f).F32(1.5f).I32(0)
        .F32(0.75f).F32(0.5f).Matrix(kMatrix).F32(-1.5f).F32(0.25f);
}

std::vector<BYTE> AttributeBytes(int lights, bool floats)
{
    Bytes b;
    b.Rgba(1, 2, 3, 4).I32(lights);
    for (int i = 1; i <= lights; ++i)
        LightBytes(b, i, floats);
    return SettingsBytes(b).v;
}

void ExpectLight(const LightSource& actual, const LightSource& expected)
{
    EXPECT_EQ(actual.GetPosition(), expected.GetPosition());
    EXPECT_EQ(actual.GetColor(), expected.GetColor());
    EXPECT_EQ(actual.GetEnabled(), expected.GetEnabled());
}

void ExpectSame(const GraphicsAttributes& a, const GraphicsAttributes& b)
{
    EXPECT_EQ(a.GetViewSize(), b.GetViewSize());
    EXPECT_EQ(a.GetQuality(), b.GetQuality());
    EXPECT_EQ(a.GetProjection(), b.GetProjection());
    for (int i = 0; i < 4; ++i)
        ExpectLight(a.GetLight(i), b.GetLight(i));
    EXPECT_EQ(a.GetFog(), b.GetFog());
    EXPECT_EQ(a.GetStereo(), b.GetStereo());
    EXPECT_EQ(a.GetStereoAngle(), b.GetStereoAngle());
    EXPECT_EQ(a.GetStereoSeparationFactor(), b.GetStereoSeparationFactor());
    EXPECT_EQ(a.GetStereoSkewFactor(), b.GetStereoSkewFactor());
    EXPECT_EQ(a.GetPerspectiveAngle(), b.GetPerspectiveAngle());
    EXPECT_EQ(a.GetBkColor(), b.GetBkColor());
    EXPECT_EQ(a.GetLineWidth(), b.GetLineWidth());
    EXPECT_EQ(a.GetFontScale(), b.GetFontScale());
    EXPECT_EQ(a.GetFastRender(), b.GetFastRender());
    EXPECT_EQ(a.GetZFarAdj(), b.GetZFarAdj());
    EXPECT_EQ(a.GetZNearAdj(), b.GetZNearAdj());
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(a.GetMatrix()(r, c), b.GetMatrix()(r, c));
}

} // namespace

TEST(LightSourceTest, DefaultsAndArchiveForms)
{
    LightSource d;
    EXPECT_EQ(d.GetPosition(), Point3d(0, 0, 1));
    EXPECT_EQ(d.GetColor(), Color::White());
    EXPECT_FALSE(d.GetEnabled());

    LightSource light = TestLight(3);
    Bytes floats, doubles;
    LightBytes(floats, 3, true);
    LightBytes(doubles, 3, false);
    EXPECT_EQ(Store(light, 7), floats.v);
    EXPECT_EQ(Store(light, kUnset), doubles.v);
    // Older documents have no place for a light: nothing is stored.
    EXPECT_TRUE(Store(light, 6).empty());
    EXPECT_TRUE(Store(light, 0).empty());

    LightSource loaded;
    EXPECT_EQ(Load(loaded, floats.v, 7), 17u);
    ExpectLight(loaded, light);
    LightSource unset;
    EXPECT_EQ(Load(unset, doubles.v, kUnset), 29u);
    ExpectLight(unset, light);

    // Older documents hold no light: nothing is read and nothing changes.
    LightSource old(Point3d(1, 2, 3), Color::Red(), false);
    EXPECT_EQ(Load(old, doubles.v, 6), 0u);
    ExpectLight(old, LightSource(Point3d(1, 2, 3), Color::Red(), false));

    // Any non-zero enabled byte turns the light on.
    std::vector<BYTE> seven = floats.v;
    seven.back() = 7;
    Load(loaded, seven, 8);
    EXPECT_TRUE(loaded.GetEnabled());

    LightSource copy(light);
    copy = copy;
    ExpectLight(copy, light);
}

TEST(GraphicsAttributesTest, Defaults)
{
    GraphicsAttributes a;
    EXPECT_EQ(a.GetViewSize(), 18.0);
    EXPECT_EQ(a.GetQuality(), 0);
    EXPECT_EQ(a.GetProjection(), 0);
    EXPECT_FALSE(a.GetFog());
    EXPECT_FALSE(a.GetStereo());
    EXPECT_TRUE(a.GetFastRender());
    EXPECT_EQ(a.GetStereoAngle(), 3.5);
    EXPECT_EQ(a.GetStereoSeparationFactor(), 1.0);
    EXPECT_EQ(a.GetStereoSkewFactor(), 1.0);
    EXPECT_EQ(a.GetPerspectiveAngle(), 45.0);
    EXPECT_EQ(a.GetBkColor(), Color::Black());
    EXPECT_EQ(a.GetLineWidth(), static_cast<double>(1.6f));
    EXPECT_EQ(a.GetFontScale(), 1.0);
    EXPECT_EQ(a.GetZFarAdj(), 0.0f);
    EXPECT_EQ(a.GetZNearAdj(), 0.0f);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(a.GetMatrix()(r, c), 0.0);
    for (int i : {-1, 0, 1, 2, 3, 4})
        ExpectLight(a.GetLight(i), LightSource());

    a.SetViewSize(0.1);
    EXPECT_EQ(a.GetViewSize(), static_cast<double>(0.1f));

    // Setting a light outside 0..3 changes nothing.
    a.SetLight(4, TestLight(1));
    a.SetLight(-1, TestLight(1));
    for (int i = 0; i < 4; ++i)
        ExpectLight(a.GetLight(i), LightSource());

    GraphicsAttributes b = TestAttributes();
    GraphicsAttributes c(b);
    ExpectSame(c, b);
    a = b;
    ExpectSame(a, b);
    a = a;
    ExpectSame(a, b);
}

TEST(GraphicsAttributesTest, ArchiveBytesBySchema)
{
    GraphicsAttributes a = TestAttributes();
    const std::vector<BYTE> floats = AttributeBytes(4, true);
    const std::vector<BYTE> doubles = AttributeBytes(4, false);
    ASSERT_EQ(floats.size(), 260u);
    ASSERT_EQ(doubles.size(), 308u);
    EXPECT_EQ(Store(a, 7), floats);
    EXPECT_EQ(Store(a, 12), floats);
    EXPECT_EQ(Store(a, kUnset), doubles);
    // Schema 6 and older: the background alone.
    EXPECT_EQ(Store(a, 6), std::vector<BYTE>({1, 2, 3, 4}));
    EXPECT_EQ(Store(a, 0), std::vector<BYTE>({1, 2, 3, 4}));

    GraphicsAttributes seven;
    EXPECT_EQ(Load(seven, floats, 7), 260u);
    ExpectSame(seven, a);
    // An unset schema compares as the largest: what it stored, it reads.
    GraphicsAttributes unset;
    EXPECT_EQ(Load(unset, doubles, kUnset), 308u);
    ExpectSame(unset, a);

    // Older documents hold only the background.
    GraphicsAttributes six;
    EXPECT_EQ(Load(six, doubles, 6), 4u);
    GraphicsAttributes expected;
    expected.SetBkColor(Color(1, 2, 3, 4));
    ExpectSame(six, expected);
    EXPECT_EQ(Load(six, {9, 8, 7, 6}, 0), 4u);
    EXPECT_EQ(six.GetBkColor(), Color(9, 8, 7, 6));
}

TEST(GraphicsAttributesTest, StoredLightCounts)
{
    const GraphicsAttributes a = TestAttributes();

    // Six stored lights: the first four are loaded, the other two are read
    // past, and the fields after them still land in place.
    GraphicsAttributes six;
    const std::vector<BYTE> sixLights = AttributeBytes(6, true);
    EXPECT_EQ(Load(six, sixLights, 7), sixLights.size());
    ExpectSame(six, a);

    // Two stored lights: lights 2 and 3 keep their values.
    GraphicsAttributes two;
    two.SetLight(3, TestLight(9));
    EXPECT_EQ(Load(two, AttributeBytes(2, true), 7), 260u - 2 * 17);
    ExpectLight(two.GetLight(0), TestLight(1));
    ExpectLight(two.GetLight(1), TestLight(2));
    ExpectLight(two.GetLight(2), LightSource());
    ExpectLight(two.GetLight(3), TestLight(9));
    EXPECT_EQ(two.GetViewSize(), 22.5);

    // A count of 0 or less reads no light; the settings follow in place.
    for (std::int32_t count : {0, -1, -2147483647 - 1}) {
        std::vector<BYTE> bytes = AttributeBytes(0, true);
        std::memcpy(bytes.data() + 4, &count, 4);
        GraphicsAttributes none;
        none.SetLight(0, TestLight(7));
        EXPECT_EQ(Load(none, bytes, 7), bytes.size()) << count;
        ExpectLight(none.GetLight(0), TestLight(7));
        EXPECT_EQ(none.GetFontScale(), 1.5);
        EXPECT_EQ(none.GetZNearAdj(), 0.25f);
    }
}

TEST(GraphicsAttributesTest, DamagedArchives)
{
    auto withCount = [](std::int32_t count) {
        std::vector<BYTE> bytes = AttributeBytes(4, true);
        std::memcpy(bytes.data() + 4, &count, 4);
        return bytes;
    };
    // Counts of more lights than the archive can still hold are refused
    // before any light is read.
    for (std::int32_t count : {2147483647, 15}) {
        GraphicsAttributes g;
        try {
            Load(g, withCount(count), 7);
            ADD_FAILURE() << "count " << count << " loaded";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
        }
        // The background was read before the damage was found; the lights were not touched.
        EXPECT_EQ(g.GetBkColor(), Color(1, 2, 3, 4));
        ExpectLight(g.GetLight(0), LightSource());
    }

    // Five lights fit in what is left, so they are read; the settings then
    // run short.
    GraphicsAttributes five;
    EXPECT_THROW(Load(five, withCount(5), 7), CArchiveException);
    ExpectLight(five.GetLight(3), TestLight(4));

    // A record cut short inside its settings keeps what was read.
    std::vector<BYTE> cut = AttributeBytes(4, true);
    cut.resize(4 + 4 + 4 * 17 + 4 + 2);
    GraphicsAttributes g;
    EXPECT_THROW(Load(g, cut, 7), CArchiveException);
    ExpectLight(g.GetLight(3), TestLight(4));
    EXPECT_EQ(g.GetViewSize(), 22.5);
}
