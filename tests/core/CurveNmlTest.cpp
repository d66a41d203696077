#include "core/math/nCurve.h"
#include "core/nml/nMetaTag.h"

#include "NmlLogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace
{
float Evaluate(nCurve& curve, float time)
{
    float value = -999.0f;
    curve.Evaluate(time, value, curve.GetOutOfRangeMode());
    return value;
}

std::unique_ptr<nMetaTag> TextCurve(int count, const std::vector<std::pair<const char*, const char*>>& knots)
{
    auto curve = std::make_unique<nMetaTag>("Curve");
    nMetaTag* list = curve->AddChild("Knot");
    list->AddChildInt("Count", count);
    for (const auto& [name, text] : knots)
        list->AddChildString(name, text);
    return curve;
}
} // namespace

TEST(CurveNmlTest, BinaryKnotsAndTheOutOfRangeModeRoundTrip)
{
    nCurve curve;
    curve.AddKnot(new nCurvePoint(0.0f, 1.0f));
    nCurvePoint* bezier = new nCurvePoint(1.0f, 2.0f, CurveKnotBezier);
    bezier->tension = 0.1f;
    bezier->p3 = 0.7f;
    curve.AddKnot(bezier);
    curve.SetOutOfRangeMode(CurveOscillate);
    std::unique_ptr<nMetaTag> tag(curve.Serialize(nullptr));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->GetName(), "Curve");
    const nMetaTag* data = tag->GetTag("BinaryKnot:Data;");
    ASSERT_NE(data, nullptr);
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(data->GetValue().GetBinary(bytes, size));
    delete[] bytes;
    EXPECT_EQ(size, 9u + 37u);

    nCurve back;
    ASSERT_TRUE(back.Parse(nullptr, tag.get()));
    ASSERT_EQ(back.GetKnotCount(), 2u);
    EXPECT_EQ(back.GetKnot(0)->kind, CurveKnotLinear);
    EXPECT_EQ(back.GetKnot(1)->kind, CurveKnotBezier);
    EXPECT_EQ(back.GetKnot(1)->tension, 0.1f);
    EXPECT_EQ(back.GetKnot(1)->p3, 0.7f);
    EXPECT_EQ(back.GetOutOfRangeMode(), static_cast<uint32_t>(CurveOscillate));

    std::unique_ptr<nMetaTag> empty(nCurve().Serialize(nullptr));
    EXPECT_EQ(empty->GetChildCount(), 1u);
}

TEST(CurveNmlTest, BinaryDataShorterThanItsCountIsRefused)
{
    const uint8_t oneKnot[9] = {1, 0, 0, 0, 0, 0, 0, 0x80, 0x3F};
    struct Case
    {
        int32_t count;
        uint32_t size;
    } cases[] = {{2, 9}, {1, 5}, {-1, 9}, {1000000000, 9}};
    for (const Case& c : cases)
    {
        nMetaTag tag("Curve");
        nMetaTag* binary = tag.AddChild("BinaryKnot");
        binary->AddChildInt("Count", c.count);
        binary->AddChildBinary("Data", oneKnot, c.size);
        NmlLogCapture log;
        nCurve curve;
        curve.AddKnot(new nCurvePoint(0.0f, 3.0f));
        EXPECT_FALSE(curve.Parse(nullptr, &tag)) << c.count;
        EXPECT_EQ(curve.GetKnotCount(), 0u);
        EXPECT_EQ(log.text, "[!] <Curve> is corrupted, discarding.\n");
    }

    // A non-linear kind needs 37 bytes.
    uint8_t extended[9] = {2, 0, 0, 0, 0, 0, 0, 0x80, 0x3F};
    nMetaTag tag("Curve");
    nMetaTag* binary = tag.AddChild("BinaryKnot");
    binary->AddChildInt("Count", 1);
    binary->AddChildBinary("Data", extended, sizeof extended);
    NmlLogCapture log;
    nCurve curve;
    EXPECT_FALSE(curve.Parse(nullptr, &tag));
}

TEST(CurveNmlTest, TextKnotsAndModes)
{
    auto tag = TextCurve(3, {{"Knot", "0:0"}, {"Knot", "1,5"}, {"KnotEx", "2:3:4"}});
    tag->AddChildString("PostBehavior", "Oscillate");
    tag->AddChildString("PreBehavior", "Whatever");
    nCurve curve;
    NmlLogCapture log;
    ASSERT_TRUE(curve.Parse(nullptr, tag.get()));
    EXPECT_EQ(log.text, "");
    ASSERT_EQ(curve.GetKnotCount(), 3u);
    EXPECT_EQ(curve.GetKnot(1)->time, 1.5f); // "," is a decimal separator, and no ":" means value 0
    EXPECT_EQ(curve.GetKnot(1)->value, 0.0f);
    const nCurvePoint& ex = *curve.GetKnot(2);
    EXPECT_EQ(ex.kind, CurveKnotBezier); // code 3
    EXPECT_EQ(ex.value, 4.0f);
    EXPECT_EQ(ex.tension, -1.0f);
    EXPECT_EQ(ex.p3, -1.0f);
    EXPECT_EQ(curve.GetOutOfRangeMode(), static_cast<uint32_t>(CurveOscillate));
}

TEST(CurveNmlTest, KnotExCodesMapToKinds)
{
    const int32_t kinds[] = {0, 1, 4, 5, 3, 2, 6, 0};
    for (int code = 0; code < 8; ++code)
    {
        char text[32];
        std::snprintf(text, sizeof text, "0:%d:1", code);
        auto tag = TextCurve(1, {{"KnotEx", text}});
        nCurve curve;
        ASSERT_TRUE(curve.Parse(nullptr, tag.get()));
        EXPECT_EQ(curve.GetKnot(0)->kind, kinds[code]) << code;
    }
}

TEST(CurveNmlTest, KnotListShorterThanItsCountIsDiscarded)
{
    auto tag = TextCurve(3, {{"Knot", "0:0"}, {"Knot", "1:1"}});
    nCurve curve;
    NmlLogCapture log;
    EXPECT_FALSE(curve.Parse(nullptr, tag.get()));
    EXPECT_EQ(curve.GetKnotCount(), 0u);
    EXPECT_EQ(log.text, "[!] <Curve> is corrupted, discarding.\n");

    // Invalid children do not count as knots either.
    auto invalid = TextCurve(2, {{"Knot", "0:0"}, {"Other", "1:1"}});
    invalid->GetTag("Knot;")->AddChildInt("Knot", 4);
    log.text.clear();
    EXPECT_FALSE(curve.Parse(nullptr, invalid.get()));
    EXPECT_EQ(log.text, "[*] Unsupported knot tag 'Other'.\n[*] Invalid knot tag while parsing curve.\n"
                        "[!] <Curve> is corrupted, discarding.\n");
}

TEST(CurveNmlTest, MessagesOfMalformedCurves)
{
    NmlLogCapture log;
    nCurve curve;
    nMetaTag wrong("Curves");
    EXPECT_FALSE(curve.Parse(nullptr, &wrong));
    EXPECT_EQ(log.text, "[!] Could not parse curve. Root tag id is incorrect (Curves).\n");

    log.text.clear();
    nMetaTag noCount("Curve");
    noCount.AddChild("Knot")->AddChildString("Knot", "0:1");
    EXPECT_FALSE(curve.Parse(nullptr, &noCount));
    EXPECT_EQ(log.text, "[!] First sub-tag in <Curve> must be the knot <Count> tag.\n");

    log.text.clear();
    auto tooMany = TextCurve(1, {{"Knot", "0:1"}, {"Knot", "1:2"}});
    tooMany->AddChildString("PostBehavior", "Sometimes");
    tooMany->AddChild("Colour");
    EXPECT_TRUE(curve.Parse(nullptr, tooMany.get()));
    EXPECT_EQ(curve.GetKnotCount(), 1u);
    EXPECT_EQ(log.text, "[!] Too many knot in <Curve>, 1 expected.\n[*] Unknown loop mode 'Sometimes'.\n"
                        "[*] Unknown tag 'Colour' in <Curve>.\n");

    log.text.clear();
    auto tooManyEx = TextCurve(1, {{"KnotEx", "0:1:1"}, {"KnotEx", "1:1:2"}});
    EXPECT_TRUE(curve.Parse(nullptr, tooManyEx.get()));
    EXPECT_EQ(log.text, "[!] Too many knot in <Knot>, 1 specified.\n");
}

TEST(CurveNmlTest, ParsedCurveEvaluatesWithItsMode)
{
    auto tag = TextCurve(2, {{"Knot", "0:0"}, {"Knot", "1:10"}});
    tag->AddChildString("PostBehavior", "OffsetRepeat");
    nCurve curve;
    ASSERT_TRUE(curve.Parse(nullptr, tag.get()));
    EXPECT_FLOAT_EQ(Evaluate(curve, 2.0f), 20.0f);
}
