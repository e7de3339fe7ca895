#include <gtest/gtest.h>

#include <cmath>

#include "link/numeric.h"
#include "main_window/picking_geometry.h"

namespace {

constexpr double C = 1350;
constexpr double W = 2700;
const double pi = 4 * std::atan(1.0);

struct ClickRow {
    double x;
    double y;
    double north;      // azimuth counted from north
    double south;      // azimuth with the south base point
    int north_whole;   // whole degrees, rounded down
    double elevation;  // NAN: not checked
};

class Click : public ::testing::TestWithParam<ClickRow> {};

TEST_P(Click, TurnsIntoSkyAngles) {
    const ClickRow& r = GetParam();
    const double north = picking::azimuth(r.x, r.y, C, C, false);
    // 1e-11 separates 360.00000000028 from 360 itself.
    EXPECT_NEAR(north, r.north, 1e-11) << r.x << "," << r.y;
    EXPECT_NEAR(picking::azimuth(r.x, r.y, C, C, true), r.south, 1e-11) << r.x << "," << r.y;
    EXPECT_EQ(round_down(north), r.north_whole);
    if (!std::isnan(r.elevation)) {
        EXPECT_NEAR(picking::elevation(r.x, r.y, C, C, W), r.elevation, 5e-3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Click,
    ::testing::Values(ClickRow{1350, 1350, 270, 90, 270, 90},
                      ClickRow{1350, 900, 360.00000000028, 180.00000000028, 360, 60},
                      ClickRow{1350, 2025, 179.99999999972, 359.99999999972, 179, 45},
                      ClickRow{2025, 1350, 90, 270, 90, 45}, ClickRow{450, 1350, 270, 90, 270, 30},
                      ClickRow{1850, 850, 44.99999999986, 224.99999999986, 44, 42.86},
                      ClickRow{1850, 1850, 135.00000000014, 315.00000000014, 135, 42.86},
                      ClickRow{1350, 0, 360.00000000028, 180.00000000028, 360, 0},
                      ClickRow{2625, 1350, 90, 270, 90, 5},
                      ClickRow{0, 0, 315.00000000014, 135.00000000014, 315, -37.28},
                      ClickRow{850, 1850, 224.99999999986, 44.99999999986, 224, 42.86}));

TEST(QuadrantArctan, FiveCases) {
    struct Row {
        double a, b, expected;
    };
    for (const Row& r : {Row{0, 0, 0}, Row{0, 3, pi / 2}, Row{0, -3, -pi / 2}, Row{-2, 0, pi},
                         Row{-1, 1, 3 * pi / 4}, Row{-1, -1, -3 * pi / 4}, Row{1, 1, pi / 4},
                         Row{2, -2, -pi / 4}}) {
        EXPECT_DOUBLE_EQ(picking::quadrant_arctan(r.a, r.b), r.expected) << r.a << "," << r.b;
    }
}

TEST(AzimuthOrigin, OnlyTheNumberOneMeansSouth) {
    struct Row {
        const char16_t* text;
        bool south;
    };
    for (const Row& r :
         {Row{u"1", true}, Row{u"1.0", true}, Row{u" 1", true}, Row{u"0", false}, Row{u"", false},
          Row{u"ERROR", false}, Row{u"abc", false}, Row{u"2", false}, Row{u"-1", false}}) {
        EXPECT_EQ(picking::counts_from_south(r.text), r.south)
            << QString::fromUtf16(r.text).toStdString();
    }
}

}  // namespace
