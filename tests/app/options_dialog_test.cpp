#include <gtest/gtest.h>
#include <cstring>
#include <string>

#include "../../app/options_dialog.h"

namespace {

TEST(DelayLabel, RoundsToTenthsAndDropsAZeroTenth) {
    struct Case { int delay; const char* label; };
    const Case cases[] = {
        {0, "0 seconds"},     {49, "0 seconds"},    {50, "0.1 seconds"}, {449, "0.4 seconds"},
        {450, "0.5 seconds"}, {949, "0.9 seconds"}, {950, "1 second"},   {1000, "1 second"},
    };
    for (const Case& c : cases) {
        char label[32];
        FormatDelayLabel(c.delay, label, sizeof(label));
        EXPECT_STREQ(c.label, label) << c.delay;
    }
}

TEST(QuoteProgramPath, QuotesWithAndWithoutThePlaceholder) {
    char field[260];
    ASSERT_TRUE(QuoteProgramPath("C:\\Tools\\view.exe", true, field, sizeof(field)));
    EXPECT_STREQ("\"C:\\Tools\\view.exe\" \"%1\"", field);
    ASSERT_TRUE(QuoteProgramPath("C:\\Tools\\files.exe", false, field, sizeof(field)));
    EXPECT_STREQ("\"C:\\Tools\\files.exe\"", field);
}

TEST(QuoteProgramPath, APathTooLongForTheFieldIsRefusedAndTheFieldKept) {
    char field[260];
    strcpy(field, "\"C:\\old.exe\" \"%1\"");
    // Quotes, blank and "%1" add seven characters: 252 fit in 259, 253 do not.
    std::string fits(252, 'p'), tooLong(253, 'p');
    EXPECT_TRUE(QuoteProgramPath(fits.c_str(), true, field, sizeof(field)));
    EXPECT_EQ(259u, strlen(field));
    strcpy(field, "\"C:\\old.exe\" \"%1\"");
    EXPECT_FALSE(QuoteProgramPath(tooLong.c_str(), true, field, sizeof(field)));
    EXPECT_STREQ("\"C:\\old.exe\" \"%1\"", field);
    // Without the placeholder two characters are added: 257 fit, 258 do not.
    EXPECT_TRUE(QuoteProgramPath(std::string(257, 'q').c_str(), false, field, sizeof(field)));
    EXPECT_FALSE(QuoteProgramPath(std::string(258, 'q').c_str(), false, field, sizeof(field)));
}

}  // namespace
