#include <gtest/gtest.h>

#include "bridge_options.h"
#include "track_items.h"

namespace {

using namespace track_bridge;

const Observer kTokyo{35.6895, 139.6917, 40.0};
const QDateTime kNoon = QDateTime::fromString(QStringLiteral("2024-05-01T12:00:00Z"), Qt::ISODate);

QString item(const TrackItems& items, const char* name, const QDateTime& now = kNoon) {
    const auto v = items.value(QString::fromLatin1(name), now);
    return v ? *v : QStringLiteral("<none>");
}

TEST(TrackItems, BeforeAnyClientNothingCanBeTracked) {
    const TrackItems items(kTokyo);
    EXPECT_EQ(item(items, "TEXT1"), "---");
    EXPECT_EQ(item(items, "TEXT2"), "---");
    EXPECT_EQ(item(items, "TEXT3"), "---");
    EXPECT_EQ(item(items, "TEXT4"), "---");
    EXPECT_EQ(item(items, "TEXT5"), "---");
    EXPECT_EQ(item(items, "TEXT6"), "0");
    EXPECT_EQ(item(items, "TEXT7"), "0");
    EXPECT_EQ(item(items, "text8"), "35.6895 139.6917 40");
    EXPECT_EQ(item(items, "text9"), "2024-05-01 12:00:00");
}

TEST(TrackItems, TargetFromATracker) {
    TrackItems items(kTokyo);
    items.client_connected(QStringLiteral("127.0.0.1:40000"));
    items.target_set({123.44, 45.66}, QStringLiteral("127.0.0.1:40000"), kNoon.addSecs(-3));
    EXPECT_EQ(item(items, "TEXT1"), "gpredict 127.0.0.1:40000");
    EXPECT_EQ(item(items, "TEXT2"), "123.4");
    EXPECT_EQ(item(items, "TEXT3"), "45.7");
    EXPECT_EQ(item(items, "TEXT4"), "2024-05-01 11:59:57");
    EXPECT_EQ(item(items, "TEXT5"), "3");
    EXPECT_EQ(item(items, "TEXT6"), "1");
    EXPECT_EQ(item(items, "TEXT7"), "1");
    for (const qint64 s : {28, -4}) EXPECT_EQ(item(items, "TEXT2", kNoon.addSecs(s)), "---") << s;
    items.client_disconnected(QStringLiteral("127.0.0.1:40000"));
    EXPECT_EQ(item(items, "TEXT3"), "---");
}

struct AzimuthRow {
    double azimuth;
    const char* text;
};

class AzimuthText : public ::testing::TestWithParam<AzimuthRow> {};

// Trackers set to -180..180 send negative azimuths; a move command needs 0..360.
TEST_P(AzimuthText, OneTurnOneDecimal) {
    EXPECT_EQ(azimuth_text(GetParam().azimuth), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Table, AzimuthText,
                         ::testing::Values(AzimuthRow{0, "0.0"}, AzimuthRow{-90, "270.0"},
                                           AzimuthRow{-180, "180.0"}, AzimuthRow{359.96, "0.0"},
                                           AzimuthRow{360, "0.0"}, AzimuthRow{-0.01, "0.0"},
                                           AzimuthRow{400, "40.0"}, AzimuthRow{12.35, "12.3"}));

TEST(TrackItems, ElevationNeverReadsMinusZero) {
    EXPECT_EQ(one_decimal(-0.04), "0.0");
    EXPECT_EQ(one_decimal(-0.06), "-0.1");
}

TEST(TrackItems, OnlyTheElevenNamesInTheirOwnCase) {
    const TrackItems items(kTokyo);
    for (const QString& name : TrackItems::names()) {
        EXPECT_TRUE(items.value(name, kNoon).has_value()) << name.toStdString();
    }
    for (const char* name : {"text1", "TEXT8", "TEXT10", "TEXT12", "text12", "", "TEXT0"}) {
        EXPECT_FALSE(items.value(QString::fromLatin1(name), kNoon).has_value()) << name;
    }
    EXPECT_EQ(TrackItems::names().size(), 11);
}

TEST(TrackItems, ClientCountFollowsConnections) {
    TrackItems items(kTokyo);
    items.client_connected(QStringLiteral("127.0.0.1:1"));
    items.client_connected(QStringLiteral("127.0.0.1:2"));
    items.client_disconnected(QStringLiteral("127.0.0.1:1"));
    EXPECT_EQ(item(items, "TEXT6"), "1");
    EXPECT_EQ(item(items, "TEXT1"), "gpredict 127.0.0.1:2");
    items.client_disconnected(QStringLiteral("127.0.0.1:2"));
    items.client_disconnected(QStringLiteral("127.0.0.1:2"));  // never goes negative
    EXPECT_EQ(item(items, "TEXT6"), "0");
}

TEST(TrackItems, MoonForTheStationAtRequestTime) {
    const TrackItems items(kTokyo);
    for (const qint64 hours : {0, 5, 11, 17}) {
        const QDateTime now = kNoon.addSecs(hours * 3600);
        const Horizontal moon =
            moon_horizontal(julian_day_from_unix(double(now.toSecsSinceEpoch())), kTokyo);
        EXPECT_EQ(item(items, "text10", now), azimuth_text(moon.azimuth));
        EXPECT_EQ(item(items, "text11", now), one_decimal(moon.elevation));
    }
    // Six hours on, the Moon has moved well across the sky.
    EXPECT_NE(item(items, "text10", kNoon), item(items, "text10", kNoon.addSecs(6 * 3600)));
}

struct ListenRow {
    const char* text;
    bool ok;
    const char* address;
    quint16 port;
};

class Listen : public ::testing::TestWithParam<ListenRow> {};

TEST_P(Listen, AddressAndPort) {
    const ListenRow& row = GetParam();
    const auto got = parse_listen(QString::fromLatin1(row.text));
    ASSERT_EQ(got.has_value(), row.ok) << row.text;
    if (row.ok) {
        EXPECT_EQ(got->address, QHostAddress(QString::fromLatin1(row.address)));
        EXPECT_EQ(got->port, row.port);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Listen,
                         ::testing::Values(ListenRow{"127.0.0.1:4533", true, "127.0.0.1", 4533},
                                           ListenRow{"localhost:4533", true, "127.0.0.1", 4533},
                                           ListenRow{"0.0.0.0:0", true, "0.0.0.0", 0},
                                           ListenRow{"[::1]:4533", true, "::1", 4533},
                                           ListenRow{"127.0.0.1", false, "", 0},
                                           ListenRow{":4533", false, "", 0},
                                           ListenRow{"127.0.0.1:65536", false, "", 0},
                                           ListenRow{"127.0.0.1:-1", false, "", 0},
                                           ListenRow{"127.0.0.1:port", false, "", 0},
                                           ListenRow{"gpredict.example:4533", false, "", 0}));

TEST(Options, DefaultsAreTheLoopbackRotatorPort) {
    const auto parsed = parse_options({});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed));
    const auto& options = std::get<Options>(parsed);
    EXPECT_EQ(options.listen.address, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(options.listen.port, 4533);
    EXPECT_FALSE(std::get<Options>(parse_options({"--lat", "10", "--alt", "5"})).position_given);
}

TEST(Options, StationAndListenFlags) {
    const auto parsed =
        parse_options({"--lat", "-33.5", "--lon=289.3", "--alt", "570", "--listen", "127.0.0.1:0"});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<QString>(parsed).toStdString();
    const auto& options = std::get<Options>(parsed);
    EXPECT_DOUBLE_EQ(options.observer.latitude, -33.5);
    EXPECT_NEAR(options.observer.longitude, -70.7, 1e-9);  // 0..360 east taken as well
    EXPECT_DOUBLE_EQ(options.observer.altitude, 570);
    EXPECT_EQ(options.listen.port, 0);
    EXPECT_TRUE(options.position_given);
}

class BadOptions : public ::testing::TestWithParam<QStringList> {};

TEST_P(BadOptions, AreRefusedWithAReason) {
    const auto parsed = parse_options(GetParam());
    ASSERT_TRUE(std::holds_alternative<QString>(parsed)) << GetParam().join(' ').toStdString();
    EXPECT_FALSE(std::get<QString>(parsed).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadOptions,
    ::testing::Values(QStringList{"--lat", "91"}, QStringList{"--lat", "north"},
                      QStringList{"--lon", "-181"}, QStringList{"--alt", "nan"},
                      QStringList{"--lat"}, QStringList{"--listen", "4533"},
                      QStringList{"--port", "4533"}, QStringList{"--lat=inf"}));

}  // namespace
