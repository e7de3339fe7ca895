#include <gtest/gtest.h>

#include "settings_dialog/interval_input.h"
#include "settings_dialog/ip_check.h"
#include "settings_dialog/port_list.h"

namespace {

struct SplitRow {
    const char* address;
    std::array<const char*, 4> parts;
};

class SplitAddress : public ::testing::TestWithParam<SplitRow> {};

TEST_P(SplitAddress, FillsTheBoxesFromThePartsThereAre) {
    const SplitRow& row = GetParam();
    const auto parts = split_address(QString::fromUtf8(row.address));
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(parts[i], QString::fromUtf8(row.parts[i])) << row.address << " part " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitAddress,
    ::testing::Values(SplitRow{"192.168.0.200", {"192", "168", "0", "200"}},
                      SplitRow{"1.2.3.4.5", {"1", "2", "3", "4.5"}},  // further dots stay
                      SplitRow{"10.0.1", {"10", "0", "1", ""}},
                      SplitRow{"10.0", {"10", "0", "", ""}},
                      SplitRow{"localhost", {"localhost", "", "", ""}},
                      SplitRow{"", {"", "", "", ""}}, SplitRow{"...", {"", "", "", ""}},
                      SplitRow{"1..3.", {"1", "", "3", ""}},
                      SplitRow{" 7 . 8.9.10", {" 7 ", " 8", "9", "10"}}));

struct OctetRow {
    const char* text;
    const char* stored;  // nullptr: refused
};

class AcceptedOctet : public ::testing::TestWithParam<OctetRow> {};

TEST_P(AcceptedOctet, OnlyOneToThreeDigitsUpTo255) {
    const OctetRow& row = GetParam();
    const auto octet = accepted_octet(QString::fromUtf8(row.text));
    if (row.stored == nullptr) {
        EXPECT_FALSE(octet.has_value()) << '"' << row.text << "\" -> " << octet->toStdString();
    } else {
        ASSERT_TRUE(octet.has_value()) << '"' << row.text << '"';
        EXPECT_EQ(*octet, QString::fromUtf8(row.stored));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, AcceptedOctet,
    ::testing::Values(OctetRow{"0", "0"}, OctetRow{"255", "255"}, OctetRow{"192", "192"},
                      OctetRow{" 7 ", "7"}, OctetRow{"\t12", "12"}, OctetRow{"007", "007"},
                      OctetRow{"256", nullptr}, OctetRow{"999", nullptr}, OctetRow{"", nullptr},
                      OctetRow{"   ", nullptr}, OctetRow{"abc", nullptr}, OctetRow{"-1", nullptr},
                      OctetRow{"+1", nullptr}, OctetRow{"1.5", nullptr}, OctetRow{"1e2", nullptr},
                      OctetRow{"1 2", nullptr}, OctetRow{"0255", nullptr},
                      OctetRow{"&HFF", nullptr}, OctetRow{"12a", nullptr},
                      // Full-width, as the Japanese input method types them: stored in ASCII.
                      OctetRow{"１９２", "192"}, OctetRow{" ０ ", "0"}, OctetRow{"２５６", nullptr},
                      OctetRow{"１．２", nullptr}, OctetRow{"１2", "12"}));

TEST(PortChoices, DesignedPortsFirstThenThePortsPresent) {
    EXPECT_EQ(port_choices({QStringLiteral("/dev/ttyUSB0"), QStringLiteral("com3"),
                            QStringLiteral("/dev/ttyACM0"), QStringLiteral("COM9")}),
              QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8",
                           "/dev/ttyUSB0", "/dev/ttyACM0", "COM9"}));
}

TEST(OctetErrorMessage, NamesThePartInFullWidth) {
    EXPECT_EQ(octet_error_message(1), QStringLiteral("ＩＰ１アドレスを正しくセットしてください"));
    EXPECT_EQ(octet_error_message(4), QStringLiteral("ＩＰ４アドレスを正しくセットしてください"));
}

TEST(IntervalKey, DigitsPointAndControlCodesPass) {
    for (char16_t code = 0; code < 256; ++code) {
        const bool expected = code < 32 || code == u'.' || (code >= u'0' && code <= u'9');
        EXPECT_EQ(interval_key_passes(code), expected) << "code " << int(code);
    }
    EXPECT_FALSE(interval_key_passes(u'５'));
}

TEST(IntervalKey, ForeignCharactersAreCounted) {
    EXPECT_EQ(foreign_characters(QStringLiteral("10.5")), 0);
    EXPECT_EQ(foreign_characters(QStringLiteral(" 1 x")), 3);
    EXPECT_EQ(foreign_characters(QStringLiteral("１")), 1);
}

struct MillisecondsRow {
    const char* text;
    std::int32_t ms;
};

class IntervalMilliseconds : public ::testing::TestWithParam<MillisecondsRow> {};

TEST_P(IntervalMilliseconds, ScaledAndRoundedHalfToEven) {
    EXPECT_EQ(interval_milliseconds(QString::fromUtf8(GetParam().text)), GetParam().ms)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, IntervalMilliseconds,
                         ::testing::Values(MillisecondsRow{"1", 1000}, MillisecondsRow{"10", 10000},
                                           MillisecondsRow{"0.0625", 62},
                                           MillisecondsRow{"0.1875", 188},
                                           MillisecondsRow{"0.3125", 312},
                                           MillisecondsRow{"0.4375", 438}, MillisecondsRow{"", 0},
                                           MillisecondsRow{"abc", 0}, MillisecondsRow{"2.5s", 2500},
                                           MillisecondsRow{"-1", -1000},
                                           MillisecondsRow{"-1E400", 0}));

}  // namespace
