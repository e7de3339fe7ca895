#include <gtest/gtest.h>

#include <cmath>

#include "link/numeric.h"

namespace {

struct NumericRow {
    const char* text;
    double value;
};

class NumericValue : public ::testing::TestWithParam<NumericRow> {};

TEST_P(NumericValue, ReadsTheLeadingNumber) {
    const NumericRow& row = GetParam();
    EXPECT_DOUBLE_EQ(numeric_value(QString::fromUtf8(row.text)), row.value) << row.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumericValue,
    ::testing::Values(NumericRow{"  -1.5e2x", -150}, NumericRow{"&HFF", 255},
                      NumericRow{"&O17", 15}, NumericRow{"1D2", 100}, NumericRow{"", 0},
                      NumericRow{"abc", 0}, NumericRow{"4 5", 45}, NumericRow{"\t1\n2", 12},
                      NumericRow{"045", 45}, NumericRow{"1e", 1}, NumericRow{"1e+", 1},
                      NumericRow{".5", 0.5}, NumericRow{"-.", 0}, NumericRow{"+7", 7},
                      NumericRow{"12.5.3", 12.5}, NumericRow{"&hff", 255}, NumericRow{"&H", 0},
                      NumericRow{"&O19", 1}, NumericRow{"３", 0}, NumericRow{"1\r2", 1}));

TEST(NumericReading, NothingWithoutADigit) {
    for (const char16_t* text : {u"", u"---", u"N/A", u"&H", u"&X1", u"-.", u" "})
        EXPECT_FALSE(numeric_reading(text).has_value())
            << QStringView(text).toString().toStdString();
    EXPECT_EQ(numeric_reading(u"12 3.9"), 123.9);
    EXPECT_EQ(numeric_reading(u"45abc"), 45.0);
    EXPECT_EQ(numeric_reading(u"&H0"), 0.0);
}

TEST(NumericValue, HugeExponentIsInfiniteNotUndefined) {
    EXPECT_TRUE(std::isinf(numeric_value(u"1E400")));
    EXPECT_FALSE(round_down(numeric_value(u"1E308")).has_value());
}

TEST(Rounding, DownAndHalfEven) {
    EXPECT_EQ(round_down(45.9), 45);
    EXPECT_EQ(round_down(-0.5), -1);
    EXPECT_EQ(round_half_even_16(178.5), 178);
    EXPECT_EQ(round_half_even_16(179.5), 180);
    EXPECT_EQ(round_half_even_16(-2.5), -2);
    EXPECT_FALSE(round_half_even_16(32767.5).has_value());
    EXPECT_FALSE(round_half_even_16(std::nan("")).has_value());
    EXPECT_EQ(round_half_even_32(62.5), 62);
    EXPECT_EQ(round_half_even_32(187.5), 188);
}

TEST(Format000, PadsAndKeepsSign) {
    EXPECT_EQ(format_000(7), u"007");
    EXPECT_EQ(format_000(123), u"123");
    EXPECT_EQ(format_000(1000), u"1000");
    EXPECT_EQ(format_000(-5), u"-005");
    EXPECT_EQ(format_000(INT64_MIN), u"-9223372036854775808");
}

TEST(StrictNumber, WholeTextOnly) {
    EXPECT_EQ(strict_number(u" 045 "), 45.0);
    EXPECT_EQ(strict_number(u"123.5"), 123.5);
    EXPECT_FALSE(strict_number(u"").has_value());
    EXPECT_FALSE(strict_number(u" ").has_value());
    EXPECT_FALSE(strict_number(u"12a").has_value());
    EXPECT_FALSE(strict_number(u"1 2").has_value());
}

}  // namespace
