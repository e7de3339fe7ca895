// Pure parts of the tracking-program link: the bus names a link topic maps to, and the sky
// the simulated tracking program publishes.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/dde_client_dbus.h"
#include "sky.h"

namespace {

struct EndpointRow {
    const char* topic;
    const char* service;  // nullptr: the topic has no bus name
    const char* path;
};

class Endpoint : public ::testing::TestWithParam<EndpointRow> {};

TEST_P(Endpoint, MapsServiceAndTopicToBusNameAndObject) {
    const EndpointRow row = GetParam();
    const auto endpoint = platform::dbus_endpoint(QString::fromUtf8(row.topic));
    if (row.service == nullptr) {
        EXPECT_FALSE(endpoint.has_value()) << endpoint->service.toStdString();
        return;
    }
    ASSERT_TRUE(endpoint.has_value());
    EXPECT_EQ(endpoint->service, QLatin1String(row.service));
    EXPECT_EQ(endpoint->path, QLatin1String(row.path));
}

INSTANTIATE_TEST_SUITE_P(
    Topics, Endpoint,
    ::testing::Values(
        EndpointRow{"ORBX|EXTRN", "dde.ORBX", "/EXTRN"},
        EndpointRow{"Orb-x_2|Topic_9", "dde.Orb-x_2", "/Topic_9"},
        EndpointRow{"ORBX", nullptr, nullptr}, EndpointRow{"|EXTRN", nullptr, nullptr},
        EndpointRow{"ORBX|", nullptr, nullptr}, EndpointRow{"ORBX|EXTRN|X", nullptr, nullptr},
        EndpointRow{"ORBX|EX TRN", nullptr, nullptr}, EndpointRow{"ORBX|EX/TRN", nullptr, nullptr},
        EndpointRow{"ORBX|EX-TRN", nullptr, nullptr},  // no dash in a path
        EndpointRow{"OR.BX|EXTRN", nullptr, nullptr}, EndpointRow{"1ORBX|EXTRN", nullptr, nullptr},
        EndpointRow{"ＯＲＢＸ|EXTRN", nullptr, nullptr}, EndpointRow{"", nullptr, nullptr}));

// --- the simulated sky -----------------------------------------------------------------------

constexpr double pass_seconds = 840;

double elevation(double t) {
    return orbx_sim::satellite_at(orbx_sim::Pass{}, t).look.elevation;
}
double azimuth(double t) {
    return orbx_sim::satellite_at(orbx_sim::Pass{}, t).look.azimuth;
}

// Smallest angle between two azimuths.
double az_distance(double a, double b) {
    const double d = std::fabs(std::fmod(a - b + 540.0, 360.0) - 180.0);
    return d;
}

TEST(SimulatedPass, RisesCulminatesAtTheMiddleAndSetsSymmetrically) {
    EXPECT_LT(elevation(0), 0.0);
    EXPECT_LT(elevation(pass_seconds - 1), 0.0);
    EXPECT_GT(elevation(pass_seconds / 2), 45.0);
    EXPECT_LT(elevation(pass_seconds / 2), 70.0);
    for (double t = 0; t < pass_seconds / 2; t += 10) {
        EXPECT_LT(elevation(t), elevation(t + 10)) << "rising at " << t;
        EXPECT_NEAR(elevation(t), elevation(pass_seconds - t), 1e-6) << t;
    }
}

TEST(SimulatedPass, AzimuthSweepsAcrossNorthAndStaysInRange) {
    struct Row {
        double t;
        double azimuth;  // roughly
    };
    for (const Row row : {Row{0, 200}, Row{pass_seconds / 2, 290}, Row{pass_seconds - 1, 20}})
        EXPECT_LT(az_distance(azimuth(row.t), row.azimuth), 10.0)
            << row.t << " -> " << azimuth(row.t);
    for (double t = 0; t < 3 * pass_seconds; t += 7) {
        EXPECT_GE(azimuth(t), 0.0);
        EXPECT_LT(azimuth(t), 360.0);
    }
}

TEST(SimulatedPass, RangeShrinksUntilCulminationThenGrowsAndTheOrbitCounts) {
    const orbx_sim::Pass pass;
    const auto early = orbx_sim::satellite_at(pass, 100);
    const auto top = orbx_sim::satellite_at(pass, pass_seconds / 2);
    const auto late = orbx_sim::satellite_at(pass, pass_seconds - 100);
    EXPECT_LT(early.range_rate_km_s, -3.0);
    EXPECT_GT(late.range_rate_km_s, 3.0);
    EXPECT_NEAR(top.range_rate_km_s, 0.0, 0.1);
    EXPECT_LT(top.range_km, early.range_km);
    EXPECT_GT(top.range_km, pass.altitude_km);
    EXPECT_EQ(orbx_sim::satellite_at(pass, pass_seconds + 1).orbit, early.orbit + 1);
}

TEST(SimulatedMoon, DriftsSlowlyAcrossTheSky) {
    for (double t = 0; t < 6 * 3600; t += 600) {
        const auto a = orbx_sim::moon_at(t);
        const auto b = orbx_sim::moon_at(t + 60);
        EXPECT_LT(az_distance(a.azimuth, b.azimuth), 1.0) << t;
        EXPECT_LT(std::fabs(a.elevation - b.elevation), 0.3) << t;
        EXPECT_GE(a.azimuth, 0.0);
        EXPECT_LT(a.azimuth, 360.0);
    }
    EXPECT_GT(orbx_sim::moon_at(4 * 3600).elevation, orbx_sim::moon_at(0).elevation);
}

TEST(SimulatedItems, PublishesExactlyTheElevenItemsWithTheirCase) {
    const orbx_sim::Publisher publisher(orbx_sim::Pass{},
                                        QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    for (const char* item : {"TEXT1", "TEXT2", "TEXT3", "TEXT4", "TEXT5", "TEXT6", "TEXT7", "text8",
                             "text9", "text10", "text11"}) {
        const auto value = publisher.value(QLatin1String(item), 10);
        ASSERT_TRUE(value.has_value()) << item;
        EXPECT_FALSE(value->isEmpty()) << item;
    }
    for (const char* item : {"TEXT8", "text1", "Text1", "text7", "TEXT10", "text12", "", "TEXT0"})
        EXPECT_FALSE(publisher.value(QLatin1String(item), 10).has_value()) << item;
    EXPECT_EQ(publisher.value(QStringLiteral("TEXT4"), 65), QStringLiteral("03:05:10"));
}

TEST(SimulatedItems, AnglesAreNumbersMatchingTheSkyAndFixedValuesWin) {
    orbx_sim::Publisher publisher(orbx_sim::Pass{}, QDateTime::currentDateTimeUtc());
    const double t = pass_seconds / 2;
    EXPECT_NEAR(publisher.value(QStringLiteral("TEXT2"), t)->toDouble(), azimuth(t), 0.051);
    EXPECT_NEAR(publisher.value(QStringLiteral("TEXT3"), t)->toDouble(), elevation(t), 0.051);
    EXPECT_NEAR(publisher.value(QStringLiteral("text11"), t)->toDouble(),
                orbx_sim::moon_at(t).elevation, 0.051);

    publisher.fix(QStringLiteral("TEXT3"), QStringLiteral("-0.5"));
    EXPECT_EQ(publisher.value(QStringLiteral("TEXT3"), t), QStringLiteral("-0.5"));
    EXPECT_EQ(publisher.value(QStringLiteral("TEXT3"), t + 100), QStringLiteral("-0.5"));
}

}  // namespace
