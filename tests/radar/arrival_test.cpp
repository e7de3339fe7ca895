#include <gtest/gtest.h>

#include <limits>

#include "main_window/arrival.h"

namespace {

struct ArrivalRow {
    double current_az;
    double current_el;
    double target_az;
    double target_el;
    bool arrived;
};

class Arrival : public ::testing::TestWithParam<ArrivalRow> {};

TEST_P(Arrival, WithinTwoDegreesOfTheReport) {
    const ArrivalRow& r = GetParam();
    const ArrivalCheck c{r.current_az, r.current_el, 2.0, 2.0, r.target_az, r.target_el};
    EXPECT_EQ(antenna_arrived(c), r.arrived)
        << r.current_az << "/" << r.current_el << " -> " << r.target_az << "/" << r.target_el;
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Table, Arrival,
    ::testing::Values(
        ArrivalRow{180, 40, 181.6, 42.9, true}, ArrivalRow{180, 40, 181.6, 43.0, false},
        ArrivalRow{180, 40, 182.99, 40, true}, ArrivalRow{180, 40, 183, 40, false},
        ArrivalRow{180, 40, 177.9, 40, false}, ArrivalRow{180, 40, 178, 38, true},
        ArrivalRow{180, 40, 180, 37.9, false},
        // Bounds round half to even: 180.5 +/- 2 gives 178 and 182, 182.5 - 2 gives 180.
        ArrivalRow{180.5, 40, 182.9, 40, true}, ArrivalRow{180.5, 40, 183, 40, false},
        ArrivalRow{182.5, 40, 180.2, 40, true},
        // The reported scale is linear: 0 and 358 are opposite ends of the travel.
        ArrivalRow{1.0, 40, 359.5, 40, false}, ArrivalRow{1.0, 40, 0.5, 40, true},
        ArrivalRow{0, 40, 1.0, 40, true}, ArrivalRow{1.0, 40, 3.9, 40, true},
        ArrivalRow{1.0, 40, 4.0, 40, false}, ArrivalRow{1.0, 40, 358.9, 40, false},
        ArrivalRow{0, 40, 360.00000000028, 40, false}, ArrivalRow{357, 40, 360, 40, false},
        ArrivalRow{358, 40, 360.00000000028, 40, true}, ArrivalRow{360, 40, 360, 40, true},
        ArrivalRow{0, 40, 358, 40, false}, ArrivalRow{355, 40, 358, 40, false},
        ArrivalRow{356, 40, 358, 40, true}, ArrivalRow{360, 40, 358.9, 40, true},
        ArrivalRow{3, 40, 0.5, 40, false}, ArrivalRow{3, 40, 1.2, 40, true},
        // A target below the horizon was commanded at elevation 0.
        ArrivalRow{180, 0, 180, -3.2, true}, ArrivalRow{180, 3, 180, -37.3, false},
        // Nothing that cannot be rounded counts as arrived, and nothing crashes.
        ArrivalRow{1e308, 40, 180, 40, false}, ArrivalRow{nan, 40, 180, 40, false},
        ArrivalRow{180, nan, 180, 40, false}, ArrivalRow{180, 1e300, 180, 40, false},
        ArrivalRow{180, 40, 1e12, 40, false}, ArrivalRow{180, 40, 180, nan, false}));

}  // namespace
