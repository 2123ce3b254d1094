// Markup runs and their text, and the palettes that keep every colour readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/ui/markup.h"
#include "app/ui/palette.h"

namespace {

TEST(Markup, RunsKeepStateAcrossBytes) {
    // Bold yellow "WARNING:", then black bold text: the font stays when only the colour changes.
    const auto runs = Markup_Parse("\xF1\x05WARNING:\x02 bad line");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (Text_Run{Markup_Yellow, Font_Style::Bold, u"WARNING:"}));
    EXPECT_EQ(runs[1], (Text_Run{Markup_Black, Font_Style::Bold, u" bad line"}));

    // A line starts black and regular; markup with nothing between makes no empty run, and
    // equal neighbours merge; trailing markup adds nothing.
    const auto plain = Markup_Parse("a\x01\x04" "b\x04" "c\xF2\xF0" "d\xF2" "e\x06\xF0");
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(plain[0], (Text_Run{Markup_Black, Font_Style::Regular, u"a"}));
    EXPECT_EQ(plain[1], (Text_Run{Markup_Red, Font_Style::Regular, u"bcd"}));
    EXPECT_EQ(plain[2], (Text_Run{Markup_Red, Font_Style::Oblique, u"e"}));
}

TEST(Markup, TextBytesDecodeAsUtf8OrLatin1) {
    EXPECT_EQ(Markup_Decode("caf\xC3\xA9"), u"caf\u00E9");       // valid UTF-8
    EXPECT_EQ(Markup_Decode("\xE9t\xE9"), u"\u00E9t\u00E9");      // Latin-1 text
    EXPECT_EQ(Markup_Decode("\xC3"), u"\u00C3");                  // cut sequence
    EXPECT_EQ(Markup_Decode("\xC0\xAF"), u"\u00C0\u00AF");        // overlong form
    EXPECT_EQ(Markup_Decode("\xED\xA0\x80").size(), 3u);          // surrogate
    EXPECT_EQ(Markup_Decode("\xF0\x9F\x98\x80"), u"\U0001F600");  // beyond 16 bits
    // 0xF1 is markup inside a line even where it would start a UTF-8 sequence.
    EXPECT_EQ(Markup_Plain("\xF1\x80"), u"\u0080");
    // Reports are UTF-8 files: Latin-1 bytes become their characters.
    EXPECT_EQ(Markup_Plain_Utf8("\xF1\x05" "caf\xE9 \xE2\x82\xAC\x02!"), "caf\xC3\xA9 \xE2\x82\xAC!");
}

double hue_distance(double a, double b) {
    const double d = std::fabs(a - b);
    return std::min(d, 360 - d);
}

// Every colour byte on every background the windows draw text on reaches 4.5:1 against what
// is behind it (the panel or the run's backing), keeps its hue, and a light colour stays light.
TEST(Palette, EveryMarkupColourIsReadableAndKeepsItsLook) {
    for (const Rgb background : {Main_Panel_Background, Progress_Panel_Background, Console_Background, Caption_Background}) {
        const Markup_Palette palette(background);
        for (uint8_t byte = Markup_Blue; byte <= Markup_Green; ++byte) {
            SCOPED_TRACE(testing::Message() << "background " << int(background.red) << "," << int(background.green) << ","
                                            << int(background.blue) << " colour byte " << int(byte));
            const Run_Colours& colours = palette.colours(byte);
            const Rgb behind = colours.backing.value_or(background);
            EXPECT_GE(Contrast_Ratio(colours.text, behind), Minimum_Contrast);
            const Hsl original = To_Hsl(Markup_Original(byte)), shown = To_Hsl(colours.text);
            if (original.saturation > 0) {
                EXPECT_LE(hue_distance(original.hue, shown.hue), 10.0);
                EXPECT_GE(shown.lightness, 0.18);  // still tells its hue, not near-black
            } else {
                EXPECT_EQ(shown.saturation, 0.0);
                EXPECT_EQ(shown.lightness >= 0.5, original.lightness >= 0.5);  // white stays white
            }
        }
    }
    // The ratios that made the panel hard to read, and their measure.
    EXPECT_NEAR(Contrast_Ratio({255, 0, 0}, Main_Panel_Background), 1.4, 0.05);
    EXPECT_NEAR(Contrast_Ratio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
    // A colour that already reads well stays as it was.
    EXPECT_EQ(Markup_Palette(Progress_Panel_Background).colours(Markup_Blue).text, (Rgb{0, 0, 255}));
    EXPECT_FALSE(Markup_Palette(Progress_Panel_Background).colours(Markup_Black).backing);
}

}  // namespace
