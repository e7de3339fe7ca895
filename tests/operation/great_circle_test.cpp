#include <gtest/gtest.h>

#include <cmath>

#include "link/great_circle.h"

namespace {

std::optional<PlacePaths> paths(const char* station, const char* place) {
    const auto from = std::get<GeoPosition>(parse_place(QString::fromUtf8(station)));
    const auto p = paths_to_place(from, QString::fromUtf8(place));
    if (!std::holds_alternative<PlacePaths>(p)) return std::nullopt;
    return std::get<PlacePaths>(p);
}

TEST(GreatCircle, BearingsAgainstPublishedFiguresAndThePoles) {
    // Published: wwl(1), EXAMPLES (fn25di-jo55ei 5810 km, 46 degrees; jo55-ec41 15996 km, 216
    // degrees, whole units, wwl taking a 4-character square at the centre of its subsquare AA,
    // typed here as such), and qth-locator's README and tests (FN20qr-FN30qr 168.52 km, 89.35
    // degrees; FN20qr-KP21ol 6586.72 km, with 49.16 degrees, not a great-circle bearing: 33.2).
    struct Row {
        const char *from, *to;
        double bearing, km, degrees_off, km_off;
    } const rows[] = {
        {"FN25di", "JO55ei", 46, 5810, 0.5, 5},
        {"55.0208333,10.0416667", "-68.9791667,-91.9583333", 216, 15996, 1, 1},
        {"FN20qr", "FN30qr", 89.35, 168.52, 0.005, 0.005},
        {"FN20qr", "KP21ol", 33.2, 6586.72, 0.05, 0.005},
        {"0,0", "-90,0", 180, 10007.54, 1e-9, 0.01},  // a quarter of the circle
        {"0,350", "0,-5", 90, 555.97, 1e-9, 0.01},    // across 180 and 0
    };
    for (const Row& r : rows) {
        const auto p = paths(r.from, r.to);
        ASSERT_TRUE(p) << r.to;
        EXPECT_NEAR(p->short_way.bearing, r.bearing, r.degrees_off) << r.to;
        EXPECT_NEAR(p->short_way.distance_km, r.km, r.km_off) << r.to;
        EXPECT_NEAR(p->long_way.bearing, std::fmod(r.bearing + 180, 360), r.degrees_off) << r.to;
        EXPECT_NEAR(p->long_way.distance_km + p->short_way.distance_km, 40030.17, 0.01);
    }
    // On the station (the same square) and opposite it every bearing is as good as another.
    EXPECT_FALSE(paths("35.6875,139.7916667", "pm95VQ"));
    EXPECT_FALSE(paths("35.6875,139.7916667", "-35.6875,-40.2083333"));
}

TEST(GreatCircle, PlacesAsTyped) {
    // Published centres, to three places: qth-locator's README and tests.
    struct Row {
        const char* text;
        double lat, lon;
    } const rows[] = {
        {"IO91wm", 51.521, -0.125},
        {"ＦＮ３１ｐｒ", 41.729, -72.708},
        {"PM95", 35.5, 139},
        {"PM95vq00", 35.669, 139.754},
        {" −33.9 ，151.2 ", -33.9, 151.2},
        {"-90,360", -90, 360},  // the bridge's range
    };
    for (const Row& r : rows) {
        const auto p = std::get<GeoPosition>(parse_place(QString::fromUtf8(r.text)));
        EXPECT_NEAR(p.latitude, r.lat, 0.001) << r.text;
        EXPECT_NEAR(p.longitude, r.lon, 0.001) << r.text;
    }
    for (const char* bad : {"", "PM9", "PM95v", "SS00", "PM95yy", "PM95vq1a", "PM95vq12ab", "91,0",
                            "0,361", "0,-181", "35.6,", "1e1,2", "a,b", "1,2,3", "123"}) {
        EXPECT_TRUE(std::holds_alternative<QString>(parse_place(QString::fromUtf8(bad)))) << bad;
    }
    EXPECT_TRUE(std::holds_alternative<std::monostate>(station_position({}, QStringLiteral(" "))));
    const auto half = paths_to_place(station_position(QStringLiteral("35"), {}), "PM95");
    EXPECT_TRUE(std::get<QString>(half).startsWith(QStringLiteral("局の位置の設定")));
}

}  // namespace
