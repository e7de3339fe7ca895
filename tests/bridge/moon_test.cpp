#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <cmath>
#include <numbers>

#include "moon.h"

namespace {

using namespace track_bridge;

// Worked example of the textbook lunar series: 1992 April 12, 0h dynamical time.
TEST(MoonSeries, MatchesTheTextbookExample) {
    const double jde = 2448724.5;
    const Ecliptic geo = moon_geocentric(jde);
    EXPECT_NEAR(geo.longitude, 133.162655, 1e-6);
    EXPECT_NEAR(geo.latitude, -3.229126, 1e-6);
    EXPECT_NEAR(geo.distance_km, 368409.7, 0.1);
    // The short nutation series costs a fraction of an arc-second against the full one.
    const Equatorial eq = moon_apparent(jde);
    EXPECT_NEAR(eq.right_ascension, 134.688470, 1e-4);
    EXPECT_NEAR(eq.declination, 13.768368, 1e-4);
}

struct SiderealRow {
    double jd_ut;
    double degrees;
};

class Sidereal : public ::testing::TestWithParam<SiderealRow> {};

TEST_P(Sidereal, MatchesTheTextbookExamples) {
    EXPECT_NEAR(mean_sidereal_time(GetParam().jd_ut), GetParam().degrees, 1e-6);
}

// 1987 April 10 at 0h and at 19:21 UT.
INSTANTIATE_TEST_SUITE_P(Table, Sidereal,
                         ::testing::Values(SiderealRow{2446895.5, 197.693195},
                                           SiderealRow{2446896.30625, 128.7378734}));

TEST(Time, UnixSecondsToJulianDay) {
    EXPECT_DOUBLE_EQ(julian_day_from_unix(0), 2440587.5);
    EXPECT_DOUBLE_EQ(julian_day_from_unix(946728000), 2451545.0);  // 2000-01-01 12:00 UTC
    EXPECT_NEAR(delta_t_seconds(2459000.5), 69.5, 2.5);            // mid-2020: about 69 s
}

// Reference rows from PyEphem (tools/track-bridge/make_moon_table.py), refraction off.
struct Reference {
    double unix_seconds;
    Horizontal stations[3];
};

std::vector<Reference> read_reference() {
    QFile file(QStringLiteral(MOON_TABLE));
    std::vector<Reference> rows;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return rows;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const QStringList cells = line.split(u',');
        if (cells.size() != 7) {
            ADD_FAILURE() << "bad row: " << line.toStdString();
            continue;
        }
        Reference row{cells[0].toDouble(), {}};
        for (int s = 0; s < 3; ++s) {
            row.stations[s] = {cells[1 + 2 * s].toDouble(), cells[2 + 2 * s].toDouble()};
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(MoonHorizontal, WithinFiveHundredthsOfADegreeOfTheReference) {
    const Observer stations[3] = {
        {35.6895, 139.6917, 40.0},    // Tokyo
        {-33.4489, -70.6693, 570.0},  // Santiago
        {78.2232, 15.6469, 10.0},     // Longyearbyen
    };
    const auto rows = read_reference();
    ASSERT_EQ(rows.size(), 500u) << MOON_TABLE;
    double worst_az = 0;
    double worst_el = 0;
    for (const Reference& row : rows) {
        const double jd = julian_day_from_unix(row.unix_seconds);
        for (int s = 0; s < 3; ++s) {
            const Horizontal got = moon_horizontal(jd, stations[s]);
            const Horizontal& want = row.stations[s];
            const double cos_el = std::cos(want.elevation * std::numbers::pi / 180.0);
            const double d_az = std::remainder(got.azimuth - want.azimuth, 360.0) * cos_el;
            const double d_el = got.elevation - want.elevation;
            worst_az = std::max(worst_az, std::abs(d_az));
            worst_el = std::max(worst_el, std::abs(d_el));
            EXPECT_LT(std::abs(d_az), 0.05) << "station " << s << " at " << row.unix_seconds;
            EXPECT_LT(std::abs(d_el), 0.05) << "station " << s << " at " << row.unix_seconds;
        }
    }
    RecordProperty("worst_azimuth_cos_elevation", std::to_string(worst_az));
    RecordProperty("worst_elevation", std::to_string(worst_el));
    std::printf("worst az*cos(el) %.5f deg, worst el %.5f deg\n", worst_az, worst_el);
}

}  // namespace
