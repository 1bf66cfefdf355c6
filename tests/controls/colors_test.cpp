#include "framework/controls/colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <ostream>

namespace {

struct HlsCase {
    Colour colour;
    uint8_t h, l, s;
    Colour roundTrip;   // FromHls of those bytes: the 8-bit hue and saturation lose a little
};

// Worked through the conversion by hand in exact fractions, truncated to bytes.
const HlsCase kHlsCases[] = {
    {0x000000, 0, 0, 0, 0x000000},
    {0xFFFFFF, 0, 255, 0, 0xFFFFFF},
    {0x808080, 0, 128, 0, 0x808080},
    {0x0000FF, 255, 127, 255, 0x0000FE},   // pure red: hue 360 degrees is not folded to 0
    {0x00FF00, 85, 127, 255, 0x00FE00},
    {0xFF0000, 170, 127, 255, 0xFE0000},
    {0xEE6E18, 152, 131, 220, 0xED7218},
    {0x55ADFF, 22, 170, 255, 0x55ADFF},
    {0xD1B499, 149, 181, 96, 0xD0B499},
    {0x6A240A, 158, 58, 211, 0x69250A},
    {0xC8D0D4, 28, 206, 31, 0xC8CFD3},
    {0x123456, 21, 52, 166, 0x123355},
};

void PrintTo(const HlsCase& c, std::ostream* os) { *os << std::hex << "colour 0x" << c.colour; }

class HlsTable : public ::testing::TestWithParam<HlsCase> {};

TEST_P(HlsTable, ToHlsGivesTheHandComputedBytes) {
    const HlsCase& c = GetParam();
    uint32_t hls = ToHls(c.colour);
    EXPECT_EQ(HlsHue(hls), c.h);
    EXPECT_EQ(HlsLightness(hls), c.l);
    EXPECT_EQ(HlsSaturation(hls), c.s);
    EXPECT_EQ(hls >> 24, 0u);
}

TEST_P(HlsTable, FromHlsAndTheRoundTrip) {
    const HlsCase& c = GetParam();
    EXPECT_EQ(FromHls(MakeHls(c.h, c.l, c.s)), c.roundTrip);
    EXPECT_EQ(AdjustColor(c.colour, 0, 0, 0), c.roundTrip);
}

INSTANTIATE_TEST_SUITE_P(Colours, HlsTable, ::testing::ValuesIn(kHlsCases));

TEST(Hls, GreysSurviveTheRoundTripExactly) {
    for (int v = 0; v < 256; ++v) {
        Colour grey = MakeColour((uint8_t)v, (uint8_t)v, (uint8_t)v);
        EXPECT_EQ(HlsSaturation(ToHls(grey)), 0) << v;
        EXPECT_EQ(FromHls(ToHls(grey)), grey) << v;
    }
}

TEST(Hls, RoundTripStaysCloseOverTheColourCube) {
    int worst = 0;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 7)
            for (int b = 0; b < 256; b += 11) {
                Colour c = MakeColour((uint8_t)r, (uint8_t)g, (uint8_t)b);
                Colour back = FromHls(ToHls(c));
                ASSERT_EQ(back >> 24, 0u);
                int d = std::abs(ColourRed(back) - r);
                d = std::max(d, std::abs(ColourGreen(back) - g));
                d = std::max(d, std::abs(ColourBlue(back) - b));
                worst = std::max(worst, d);
            }
    // 8-bit hue steps of 1.4 degrees cost at most a few units on saturated colours.
    EXPECT_LE(worst, 8);
}

struct AdjustCase {
    Colour colour;
    double hue, light, saturation;
    Colour expected;
};

const AdjustCase kAdjustCases[] = {
    {0x808080, 0, -1.0, 0, 0x000000},     // light -1 is black
    {0x808080, 0, -1.5, 0, 0x000000},     // below -1 is held at 0, not wrapped
    {0x808080, 0, 1.5, 0, 0xFFFFFF},      // above 255 is held at 255
    {0xEE6E18, 0, 0, -1.0, 0x838383},     // no saturation: grey of the same lightness
    {0xEE6E18, 0.5, 0, 0, 0x188BED},      // hue 152 + 127 wraps to 23
    {0xEE6E18, -0.25, 0, 0, 0x27ED18},    // 152 - 63.75 truncates to hue 88
    {0x0000FF, 0, 0.5, 0, 0x7D7DFF},      // lightness 127 * 1.5 = 190
    {0xEE6E18, 0, 0.2, -0.3, 0xD89361},   // lightness 157, saturation 154
};

void PrintTo(const AdjustCase& c, std::ostream* os) {
    *os << std::hex << "colour 0x" << c.colour << std::dec << " (" << c.hue << ", " << c.light << ", " << c.saturation << ")";
}

class AdjustTable : public ::testing::TestWithParam<AdjustCase> {};

TEST_P(AdjustTable, MatchesTheHandComputedColour) {
    const AdjustCase& c = GetParam();
    EXPECT_EQ(AdjustColor(c.colour, c.hue, c.light, c.saturation), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, AdjustTable, ::testing::ValuesIn(kAdjustCases));

TEST(Colours, LightnessCorrection) {
    EXPECT_DOUBLE_EQ(LightnessCorrection(0xEE6E18), 0.0);                        // lightness 131
    EXPECT_NEAR(LightnessCorrection(0xD1B499), (131.0 - 181.0) / 255.0, 1e-12);  // light caption
    EXPECT_GT(LightnessCorrection(0x6A240A), 0.0);                               // dark caption
    EXPECT_NEAR(LightnessCorrection(0x000000), 131.0 / 255.0, 1e-12);
}

TEST(Colours, BlendSwapAndAlpha) {
    EXPECT_EQ(Blend(0.0, 0x102030, 0xF0E0D0), 0x102030u);
    EXPECT_EQ(Blend(1.0, 0x102030, 0xF0E0D0), 0xF0E0D0u);
    EXPECT_EQ(Blend(0.4, 0xD1B499, 0xF2E4D7), 0xDEC7B1u);
    EXPECT_EQ(Blend(0.75, 0xD1B499, 0xF0F0F0), 0xE8E1DAu);
    EXPECT_EQ(SwapRedBlue(0xAA112233), 0x00332211u);
    EXPECT_EQ(WithAlpha(0x00112233, 0x80), 0x80332211u);
}

// A system whose colours are given by a table and which counts what is asked.
class FakeSystem : public ISystemColours {
public:
    FakeSystem() {
        colours[kSysActiveCaption] = 0xD1B499;
        colours[kSysInactiveCaption] = 0xDBCDBF;
        colours[kSysHighlight] = 0xFF9933;
        colours[kSysMenuText] = 0x000000;
        colours[kSysHighlightText] = 0xFFFFFF;
        colours[kSysWindow] = 0xFFFFFE;
        colours[kSysGrayText] = 0x6D6D6D;
        colours[kSysBtnFace] = 0xF0F0F0;
        colours[kSysBtnHighlight] = 0xFFFFFF;
        colours[kSysBtnShadow] = 0xA0A0A0;
        colours[kSys3DLight] = 0xE3E3E3;
        colours[kSysMenu] = 0xF0F0F1;
        colours[kSysGradientActiveCaption] = 0xF2E4D7;
        colours[kSysGradientInactiveCaption] = 0xF7F1EB;
    }
    Colour SysColour(int index) override {
        ++reads[index];
        auto it = colours.find(index);
        return it == colours.end() ? 0x00ABCDEF : it->second;
    }
    bool GradientCaptions() override {
        ++gradientQueries;
        return gradients;
    }

    std::map<int, Colour> colours;
    std::map<int, int> reads;
    bool gradients = false;
    int gradientQueries = 0;
};

class ColourSchemeTest : public ::testing::Test {
protected:
    void Compute(uint8_t mode, const ThemeColours* theme = nullptr) {
        this->mode = mode;
        ComputeColourScheme(&scheme, theme, system, &this->mode, custom);
    }

    FakeSystem system;
    ColourScheme scheme = {};
    CustomColours custom = {0xEE6E18, 0x55ADFF, 0x000011, 0x000022};
    uint8_t mode = 0;
};

// Caption 0xD1B499 (lightness 181): k = (131 - 181) / 255; scheme base =
// Adj(caption, k + 0.4, -0.25) = 0xE3D8CE. Each entry worked from its formula.
TEST_F(ColourSchemeTest, DerivedTableFromTheCaptionColour) {
    Compute(kSchemeDerived);
    EXPECT_NEAR(scheme.k, -50.0 / 255.0, 1e-12);
    EXPECT_EQ(scheme.schemeBase, 0xE3D8CEu);
    const std::pair<int, Colour> expected[] = {
        {0, 0xDFD7D0}, {1, 0xF6F3F1}, {2, 0xF6F3F1}, {3, 0x7D7670}, {4, 0x000000}, {5, 0xFFFFFF},
        {6, 0xFFFFFE}, {10, 0xC28F5D}, {11, 0xCBA178}, {12, 0xD6B493}, {14, 0xB67D45}, {17, 0xC28F5D},
        {18, 0xB7A490}, {20, 0xD7CDC2}, {22, 0xA78F76}, {26, 0x362B21}, {27, 0xFAF8F7}, {28, 0xF6F3F1},
        {29, 0x7D7670}, {30, 0xDFD7D0}, {31, 0x7D7670}, {32, 0xF6F3F1}, {33, 0xF2EDE9}, {34, 0xE2D7CD},
        {35, 0xDFD7D0}, {36, 0xF2EDE9}, {37, 0xE2D7CD}, {38, 0xFFFFFF}, {39, 0xF6F3F1}, {40, 0x7D7670},
        {41, 0xFFAB51}, {42, 0xFF9C33}, {43, 0xFFBA71}, {44, 0xFF9C33}, {45, 0x494038}, {46, 0xFF9933},
        {47, 0xFFFFFE}, {48, 0xFFFFFF}, {49, 0x000000}, {50, 0x6D6D6D}, {51, 0xF9F8F8}, {52, 0xFFFFFF},
        {53, 0x979292}, {54, 0xB6ABA1}, {55, 0xD2CBC5}, {56, 0xE4E0DD},
    };
    for (const auto& e : expected) EXPECT_EQ(scheme.table[e.first], e.second) << "index " << e.first;
}

TEST_F(ColourSchemeTest, ClassicModeTakesTheSystemColours) {
    Compute(kSchemeClassic);
    const Colour* t = scheme.table;
    EXPECT_EQ(t[0], 0xF0F0F0u);   // button face
    EXPECT_EQ(t[1], 0xE3E3E3u);   // 3D light
    EXPECT_EQ(t[2], 0xFFFFFFu);   // button highlight
    EXPECT_EQ(t[3], 0xA0A0A0u);   // button shadow
    EXPECT_EQ(t[51], 0xF0F0F0u);
    EXPECT_EQ(t[52], 0xFFFFFFu);
    EXPECT_EQ(t[53], 0xA0A0A0u);
    for (int i : {26, 29, 31, 40}) EXPECT_EQ(t[i], t[3]) << i;
    for (int i : {27, 28, 32, 39}) EXPECT_EQ(t[i], t[2]) << i;
    for (int i : {30, 33, 34, 35, 36, 37}) EXPECT_EQ(t[i], t[0]) << i;
    EXPECT_EQ(t[38], 0xF0F0F1u);  // the menu colour differs from the track
    EXPECT_EQ(t[41], Blend(0.75, 0xD1B499, 0xF0F0F0));
    EXPECT_EQ(t[42], t[41]);
    EXPECT_EQ(t[43], Blend(0.85, 0xD1B499, 0xF0F0F0));
    EXPECT_EQ(t[44], t[43]);
    EXPECT_EQ(t[45], 0xD1B499u);
    EXPECT_EQ(t[4], 0x000000u);   // scheme text is the menu text in classic mode too
    EXPECT_EQ(t[5], 0xFFFFFFu);
    EXPECT_EQ(t[54], AdjustColor(t[0], 0, -0.2, -0.3));
    EXPECT_EQ(t[56], AdjustColor(t[0], 0, 0.05, -0.3));
    // The caption shades do not depend on the mode.
    EXPECT_EQ(t[10], 0xC28F5Du);
    EXPECT_EQ(t[18], 0xB7A490u);
}

TEST_F(ColourSchemeTest, ClassicPopupAvoidsAMenuColourEqualToTheTrack) {
    system.colours[kSysMenu] = 0xF0F0F0;   // equals colour 33 (the face)
    Compute(kSchemeClassic);
    EXPECT_EQ(scheme.table[38], 0xFFFFFFu);
}

TEST_F(ColourSchemeTest, CustomModeUsesTheUsersColoursWithoutCorrection) {
    Compute(kSchemeCustomFirst + 1);
    EXPECT_DOUBLE_EQ(scheme.k, 0.0);
    EXPECT_EQ(scheme.schemeBase, 0xEE6E18u);
    EXPECT_EQ(scheme.table[4], 0x000011u);
    EXPECT_EQ(scheme.table[5], 0x000022u);
    EXPECT_EQ(scheme.table[0], 0xD89361u);    // Adj(0xEE6E18, 0.2, -0.3)
    EXPECT_EQ(scheme.table[51], 0xD8A987u);   // Adj(0xEE6E18, 0.35, -0.4)
    EXPECT_EQ(scheme.table[41], 0xBBDEFFu);   // Adj(0x55ADFF, 0.3, 0)
    EXPECT_EQ(mode, kSchemeCustomFirst + 1);  // a decided mode is left alone
}

TEST_F(ColourSchemeTest, UndecidedModeBecomesClassicWithoutATheme) {
    Compute(kSchemeUndecided);
    EXPECT_EQ(mode, kSchemeClassic);
    EXPECT_FALSE(scheme.themeUsed);
    EXPECT_EQ(scheme.table[0], 0xF0F0F0u);
}

TEST_F(ColourSchemeTest, UndecidedModeBecomesDerivedWithATheme) {
    ThemeColours theme = {{0xD1B499, 0xDBCDBF, 0xFF9933, 0x000000, 0xFFFFFF}, 0xD1B499, 0xDBCDBF};
    Compute(kSchemeUndecided, &theme);
    EXPECT_EQ(mode, kSchemeDerived);
    EXPECT_TRUE(scheme.themeUsed);
    // The theme's colours were used and the system's base colours never read.
    EXPECT_EQ(system.reads[kSysActiveCaption], 0);
    EXPECT_EQ(system.gradientQueries, 0);
    EXPECT_EQ(scheme.base.highlight, 0xFF9933u);
}

TEST_F(ColourSchemeTest, ThemeGradientsAreBlendedIntoTheCaptions) {
    ThemeColours theme = {{0xD1B499, 0xDBCDBF, 0xFF9933, 0x000000, 0xFFFFFF}, 0xF2E4D7, 0xF7F1EB};
    Compute(kSchemeDerived, &theme);
    EXPECT_EQ(scheme.base.activeCaption, Blend(0.4, 0xD1B499, 0xF2E4D7));
    EXPECT_EQ(scheme.base.inactiveCaption, Blend(0.6, 0xDBCDBF, 0xF7F1EB));
    // With a theme every computation starts again from the theme's colours.
    Compute(kSchemeDerived, &theme);
    EXPECT_EQ(scheme.base.activeCaption, Blend(0.4, 0xD1B499, 0xF2E4D7));
}

TEST_F(ColourSchemeTest, SystemGradientsAreReadOnlyWhenTurnedOn) {
    system.gradients = true;
    Compute(kSchemeDerived);
    EXPECT_EQ(system.reads[kSysGradientActiveCaption], 1);
    EXPECT_EQ(scheme.base.activeCaption, 0xDEC7B1u);   // Blend(0.4, 0xD1B499, 0xF2E4D7)
    EXPECT_EQ(scheme.base.inactiveCaption, Blend(0.6, 0xDBCDBF, 0xF7F1EB));
}

TEST_F(ColourSchemeTest, SecondComputationWithoutThemeKeepsTheBaseColours) {
    system.gradients = true;
    Compute(kSchemeDerived);
    Colour firstCaption = scheme.base.activeCaption;
    EXPECT_EQ(system.reads[kSysActiveCaption], 1);
    EXPECT_EQ(system.gradientQueries, 1);

    system.colours[kSysActiveCaption] = 0x112233;   // a change the second run must not see
    Compute(kSchemeClassic);
    EXPECT_EQ(system.gradientQueries, 1);
    EXPECT_EQ(system.reads[kSysGradientActiveCaption], 1);
    // Not blended a second time either.
    EXPECT_EQ(scheme.base.activeCaption, firstCaption);
    // The classic column still reads the fixed system colours.
    EXPECT_EQ(scheme.table[0], 0xF0F0F0u);
}

TEST(DisabledPixels, ChannelsFollowTheRampBetweenDarkAndLight) {
    // One opaque pixel: its brightness is the mean, so t = (180 + 68) / 765.
    uint8_t pixels[4] = {60, 60, 60, 0x7F};
    const uint8_t mask[4] = {0, 0, 0, 0};
    RecolourDisabledPixels(pixels, mask, 1, MakeColour(200, 100, 0), MakeColour(0, 0, 255));
    EXPECT_EQ(pixels[0], 172);   // blue: 255 * (1 - t)
    EXPECT_EQ(pixels[1], 32);    // green: 100 * t
    EXPECT_EQ(pixels[2], 64);    // red: 200 * t
    EXPECT_EQ(pixels[3], 0x7F);
}

TEST(DisabledPixels, TransparentPixelsAreLeftAlone) {
    uint8_t pixels[8] = {10, 20, 30, 40, 50, 60, 70, 80};
    const uint8_t mask[8] = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    RecolourDisabledPixels(pixels, mask, 2, 0xFFFFFF, 0x000000);
    EXPECT_EQ(pixels[0], 10);
    EXPECT_EQ(pixels[1], 20);
    EXPECT_EQ(pixels[2], 30);
    EXPECT_EQ(pixels[3], 40);
    EXPECT_NE(pixels[4], 50);   // the opaque one was recoloured
}

TEST(DisabledPixels, NoOpaquePixelIsNotADivisionByZero) {
    uint8_t pixels[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint8_t mask[8] = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0};
    RecolourDisabledPixels(pixels, mask, 2, 0xFFFFFF, 0x000000);
    const uint8_t same[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, memcmp(pixels, same, 8));
}

TEST(DisabledPixels, ChannelsOutsideTheRampAreHeldNotWrapped) {
    // Three black pixels and a white one: mean 63, offset 65. White gets t = 830 / 765,
    // which would wrap to 20 as a byte; the black ones get t = 65 / 765.
    uint8_t bright[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0};
    const uint8_t mask[20] = {};
    RecolourDisabledPixels(bright, mask, 4, 0xFFFFFF, 0x000000);
    EXPECT_EQ(bright[12], 255);
    EXPECT_EQ(bright[14], 255);
    EXPECT_EQ(bright[0], 21);

    // Four white pixels and a black one: mean 204, offset -76; black gets t < 0, which
    // would wrap to 231.
    uint8_t dark[20] = {255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 0, 0, 0, 0};
    RecolourDisabledPixels(dark, mask, 5, 0xFFFFFF, 0x000000);
    EXPECT_EQ(dark[16], 0);
    EXPECT_EQ(dark[18], 0);
}

}  // namespace
