#include "settings/IntegerText.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* text;
    std::optional<std::int32_t> value;
};

TEST(IntegerText, ConvertsExactlyTheGamesIntegerTexts) {
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"  42", 42},
        // Blanks only: a tab, a line end or any other white space does not lead a number.
        {"\t7", std::nullopt},
        {" \t7", std::nullopt},
        {"\n7", std::nullopt},
        {"\xC2\xA0"
         "7",
         std::nullopt},
        {"+5", 5},
        {"-5", -5},
        {"2147483647", 2147483647},
        {"2147483648", std::nullopt},
        {"-2147483648", INT32_MIN},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$1F", 31},
        {"x1f", 31},
        {"X1F", 31},
        {"0x2", 2},
        {"0X2", 2},
        {"-$10", -16},
        {"$80000000", INT32_MIN},
        {"$FFFFFFFF", -1},
        {"0xFFFFFFFF", -1},
        {"$100000000", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"42 ", std::nullopt},
        {"42abc", std::nullopt},
        {"1.5", std::nullopt},
        {"two", std::nullopt},
        {"1e3", std::nullopt},
        {"$G", std::nullopt},
        {"- 5", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tmt::ParseIntegerText(c.text), c.value) << "text: '" << c.text << "'";
    }
}

} // namespace
