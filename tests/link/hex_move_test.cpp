#include <gtest/gtest.h>

#include <QStringList>
#include <cmath>
#include <limits>

#include "link/hex.h"
#include "link/move_command.h"
#include "link/tracking_aim.h"

namespace {

struct TextHexRow {
    QString text;
    QString hex;
};

class TextToHex : public ::testing::TestWithParam<TextHexRow> {};

TEST_P(TextToHex, WritesEachByteAsTwoUpperCaseDigits) {
    const auto& row = GetParam();
    QString out = QStringLiteral("stale");
    text_to_hex(row.text, out);
    EXPECT_EQ(out, row.hex) << row.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextToHex,
    ::testing::Values(TextHexRow{QStringLiteral("C2\r"), QStringLiteral("43320D")},
                      TextHexRow{QStringLiteral("S\r"), QStringLiteral("530D")},
                      TextHexRow{QString(), QString()},
                      TextHexRow{QStringLiteral("W090 045\r"),
                                 QStringLiteral("57303930203034350D")},
                      TextHexRow{QStringLiteral("\r"), QStringLiteral("0D")},
                      // Beyond ASCII only the low eight bits of the code are kept.
                      TextHexRow{QString(QChar(0x30A2)), QStringLiteral("A2")},
                      TextHexRow{QString(QChar(0x00FF)), QStringLiteral("FF")}));

TEST(TextToHex, LeavesItsInputAlone) {
    const QString text = QStringLiteral("C2\r");
    QString out;
    text_to_hex(text, out);
    EXPECT_EQ(text, QStringLiteral("C2\r"));
}

struct PairRow {
    const char* pair;
    int byte;
};

class HexToByte : public ::testing::TestWithParam<PairRow> {};

TEST_P(HexToByte, ReadsTheFirstTwoDigits) {
    const auto& row = GetParam();
    std::uint8_t out = 77;
    hex_to_byte(QString::fromLatin1(row.pair), out);
    EXPECT_EQ(out, row.byte) << row.pair;
}

INSTANTIATE_TEST_SUITE_P(Table, HexToByte,
                         ::testing::Values(PairRow{"0D", 13}, PairRow{"FF", 255}, PairRow{"0d", 0},
                                           PairRow{"D0", 208}, PairRow{"4f", 64}, PairRow{"G1", 1},
                                           PairRow{"0D0A", 13}, PairRow{"00", 0}, PairRow{"F", 240},
                                           PairRow{"", 0}, PairRow{"-1", 1}));

struct NumberRow {
    const char* number;
    const char* hex;
};

class ByteToHex : public ::testing::TestWithParam<NumberRow> {};

TEST_P(ByteToHex, AlwaysTwoDigits) {
    const auto& row = GetParam();
    QString out;
    byte_to_hex(QString::fromLatin1(row.number), out);
    EXPECT_EQ(out, QString::fromLatin1(row.hex)) << row.number;
}

INSTANTIATE_TEST_SUITE_P(Table, ByteToHex,
                         ::testing::Values(NumberRow{"0", "00"}, NumberRow{"255", "FF"},
                                           NumberRow{"13", "0D"}, NumberRow{"87", "57"},
                                           NumberRow{" 1 0", "0A"}, NumberRow{"&H7F", "7F"},
                                           NumberRow{"16", "10"}, NumberRow{"15", "0F"}));

TEST(HexWireText, EveryByteSurvivesTheRoundTrip) {
    for (int n = 0; n <= 255; ++n) {
        QString hex;
        byte_to_hex(QString::number(n), hex);
        ASSERT_EQ(hex.size(), 2);
        ASSERT_EQ(hex, hex.toUpper());
        std::uint8_t back = 0;
        hex_to_byte(hex, back);
        ASSERT_EQ(back, n) << hex.toStdString();
    }
}

struct MoveRow {
    double azimuth;
    double elevation;
    const char* command;
};

class MoveCommand : public ::testing::TestWithParam<MoveRow> {};

TEST_P(MoveCommand, WholeDegreesRoundedDownAndPadded) {
    const auto& row = GetParam();
    const auto command = compose_move_command(row.azimuth, row.elevation);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(*command, QString::fromLatin1(row.command));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MoveCommand,
    ::testing::Values(MoveRow{90.7, 45.2, "W090 045\r"}, MoveRow{0, 0, "W000 000\r"},
                      MoveRow{359.99, 89.999, "W359 089\r"}, MoveRow{400, 5, "W400 005\r"},
                      MoveRow{45.9, 7, "W045 007\r"}, MoveRow{-0.5, -5, "W-001 -005\r"},
                      MoveRow{1000, 180, "W1000 180\r"}, MoveRow{44.99, 42.86, "W044 042\r"}));

TEST(MoveCommand, ComposedThenConvertedGivesTheWireText) {
    QString wire;
    text_to_hex(*compose_move_command(90.7, 45.2), wire);
    EXPECT_EQ(wire, QStringLiteral("57303930203034350D"));
}

TEST(MoveCommand, AngleThatIsNoWholeNumberIsNeverComposed) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(compose_move_command(std::nan(""), 10).has_value());
    EXPECT_FALSE(compose_move_command(10, inf).has_value());
    EXPECT_FALSE(compose_move_command(1e300, 10).has_value());
    EXPECT_FALSE(compose_move_command(10, -1e12).has_value());
}

TEST(MoveCommand, NothingBeyondTheRotatorsTravelIsComposed) {
    EXPECT_EQ(rotator_move_command(450.9, 180.9, 450), QStringLiteral("W450 180\r"));
    const auto beyond = [](double az, double el, int range) {
        return !rotator_move_command(az, el, range).has_value();
    };
    EXPECT_TRUE(beyond(451, 10, 450) && beyond(361, 10, 360) && beyond(-0.5, 10, 360) &&
                beyond(10, 181, 360) && beyond(10, -1, 360) && beyond(std::nan(""), 10, 360));
}

// What comes of two box texts read a second ago (unless said otherwise).
TEST(TrackingAim, OnlyCurrentPossibleAnglesAreFollowed) {
    using enum AimVerdict;
    const auto aim = [](const QString& az, const QString& el, double az_age = 1,
                        double el_age = 1) {
        return tracking_aim({az, az_age}, {el, el_age});
    };
    const QStringList moved{"123.9", "-30", "500", "99999", "-1E-20", "45abc"};
    const double aimed[] = {123.9, 330, 140, 279, 0, 45};  // the same directions within 0-360
    for (qsizetype i = 0; i < moved.size(); ++i) {
        EXPECT_EQ(aim(moved[i], "179").verdict, move) << moved[i].toStdString();
        EXPECT_NEAR(aim(moved[i], "179").azimuth, aimed[i], 1e-9) << moved[i].toStdString();
    }
    for (const QString az_el :
         {"100001 10", "&H7FFFFFFF 10", "1E999 10", "100 180.5", "100 -2E5"}) {
        const QStringList t = az_el.split(u' ');
        EXPECT_EQ(aim(t[0], t[1]).verdict, out_of_range) << az_el.toStdString();
    }
    EXPECT_EQ(aim("100", "-0.5").verdict, below_horizon);
    EXPECT_EQ(aim("---", "30").verdict, no_number);
    EXPECT_EQ(aim("", "").verdict, no_number);
    EXPECT_EQ(aim("10", "20", 5, 5).verdict, move);
    EXPECT_EQ(aim("10", "20", 5.01, 1).verdict, stale);
    EXPECT_EQ(aim("10", "20", 1, 60).verdict, stale);
}

}  // namespace
