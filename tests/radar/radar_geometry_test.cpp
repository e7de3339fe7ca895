#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "main_window/radar_geometry.h"

namespace {

constexpr double W = 2700;
constexpr double H = 2700;
const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

struct PolarRow {
    double azimuth;
    double elevation;
    double x;
    double y;
};

class PolarPoint : public ::testing::TestWithParam<PolarRow> {};

TEST_P(PolarPoint, LandsOnTheGrid) {
    const PolarRow& r = GetParam();
    const auto p = radar::polar_point(r.azimuth, r.elevation, W, H);
    ASSERT_TRUE(p.has_value());
    EXPECT_NEAR(p->x, r.x, 1e-9) << r.azimuth << "/" << r.elevation;
    EXPECT_NEAR(p->y, r.y, 1e-9) << r.azimuth << "/" << r.elevation;
}

INSTANTIATE_TEST_SUITE_P(Table, PolarPoint,
                         ::testing::Values(PolarRow{0, 90, 1350, 1350}, PolarRow{0, 60, 1350, 900},
                                           PolarRow{0, 30, 1350, 450}, PolarRow{0, 0, 1350, 0},
                                           PolarRow{90, 0, 2700, 1350},
                                           PolarRow{180, 0, 1350, 2700}, PolarRow{270, 0, 0, 1350},
                                           PolarRow{450, 0, 2700, 1350}, PolarRow{-90, 0, 0, 1350},
                                           // Past the zenith: on the side opposite the azimuth.
                                           PolarRow{0, 120, 1350, 1800},
                                           PolarRow{90, 120, 900, 1350},
                                           // Below the horizon: outside the ring.
                                           PolarRow{180, -10, 1350, 2850}));

TEST(PolarPoint, ValuesTooLargeToDrawGiveNothing) {
    for (const auto& [az, el] :
         {std::pair{0.0, 1e308}, std::pair{1e308, 0.0}, std::pair{0.0, 1e20}, std::pair{nan, 10.0},
          std::pair{10.0, nan}, std::pair{inf, 0.0}, std::pair{0.0, -inf}}) {
        EXPECT_FALSE(radar::polar_point(az, el, W, H).has_value()) << az << "/" << el;
    }
}

TEST(Rings, SixthThirdAndHalfOfTheHeight) {
    const auto r = radar::ring_radii(H);
    EXPECT_DOUBLE_EQ(r[0], 450);
    EXPECT_DOUBLE_EQ(r[1], 900);
    EXPECT_DOUBLE_EQ(r[2], 1350);
}

TEST(SkyMarker, HiddenOnlyBelowTheHorizon) {
    EXPECT_TRUE(radar::sky_marker_centre(90, 0, W, H).has_value());
    EXPECT_TRUE(radar::sky_marker_centre(90, 120, W, H).has_value());
    EXPECT_FALSE(radar::sky_marker_centre(90, -0.001, W, H).has_value());
    EXPECT_FALSE(radar::sky_marker_centre(90, nan, W, H).has_value());
    EXPECT_FALSE(radar::moon_marker_centre(true, 90, 45, W, H).has_value());
    EXPECT_TRUE(radar::moon_marker_centre(false, 90, 45, W, H).has_value());
}

struct AntennaRow {
    double azimuth;
    double elevation;
    double x;  // marker centre
    double y;
};

class Antenna : public ::testing::TestWithParam<AntennaRow> {};

TEST_P(Antenna, MarkerAndDirectionLineShiftedFiveUnits) {
    const AntennaRow& r = GetParam();
    const auto g = radar::antenna_geometry(r.azimuth, r.elevation, W, H);
    ASSERT_TRUE(g.has_value());
    EXPECT_NEAR(g->centre.x, r.x, 1e-9);
    EXPECT_NEAR(g->centre.y, r.y, 1e-9);
    EXPECT_DOUBLE_EQ(g->direction.from.x, 1355);
    EXPECT_DOUBLE_EQ(g->direction.from.y, 1350);
    EXPECT_NEAR(g->direction.to.x, r.x + 5, 1e-9);
    EXPECT_NEAR(g->direction.to.y, r.y, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Antenna,
    ::testing::Values(AntennaRow{0, 0, 1350, 0}, AntennaRow{90, 30, 2250, 1350},
                      AntennaRow{-10, 45, 1350, 675},   // negative azimuth: north
                      AntennaRow{180, -3, 1350, 2700},  // negative elevation: horizon
                      AntennaRow{nan, nan, 1350, 0}, AntennaRow{90, 90, 1350, 1350}));

TEST(Antenna, HugePositionIsSkippedNotDrawnWildly) {
    EXPECT_FALSE(radar::antenna_geometry(0, 1e308, W, H).has_value());
    EXPECT_FALSE(radar::antenna_geometry(inf, 10, W, H).has_value());
    EXPECT_TRUE(radar::antenna_geometry(-inf, -inf, W, H).has_value());  // negatives show as 0
}

}  // namespace
