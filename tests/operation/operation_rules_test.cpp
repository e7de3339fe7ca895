#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "config/ini_text.h"
#include "link/operation_rules.h"

namespace {

TEST(Overlap, TakesTheNearerOfTheTwoWaysOnlyAt450) {
    struct Row {
        double target, reported;
        int range;
        double chosen;
    } const rows[] = {
        {5, 355, 450, 365},                        // across north: onwards, not back round
        {15, 365, 450, 375},                       //
        {5, 10, 450, 5},                           // already near the low end
        {90, 350, 450, 450},                       // the top of the scale still counts
        {91, 350, 450, 91},                        // 451 is beyond the travel
        {180, 360, 450, 180}, {45, 225, 450, 45},  // a tie keeps the target
        {5, 355, 360, 5},                          // the designed scale never wraps
        {400, 10, 450, 400},                       // already past 360: as asked
    };
    for (const Row& r : rows) {
        EXPECT_EQ(overlap_azimuth(r.target, r.reported, r.range), r.chosen)
            << r.target << " from " << r.reported << " at " << r.range;
    }
}

TEST(Overlap, RangeSettingAndShownAzimuth) {
    EXPECT_EQ(azimuth_range(QStringLiteral("450")), 450);
    EXPECT_EQ(azimuth_range(QStringLiteral(" 450 ")), 450);
    for (const char* s : {"360", "", "ERROR", "45", "4500"}) EXPECT_EQ(azimuth_range(s), 360) << s;
    EXPECT_EQ(shown_azimuth(365), 5);
    EXPECT_EQ(shown_azimuth(450), 90);
    EXPECT_EQ(shown_azimuth(359), 359);
    EXPECT_EQ(range_from_reply(QStringLiteral("mode 450 Degree\r")), 450);
    EXPECT_EQ(range_from_reply(QStringLiteral("mode 360 Degree\r")), 360);
    EXPECT_FALSE(range_from_reply(QStringLiteral("AZ=450 EL=010\r")).has_value());
}

TEST(Threshold, SendsOnlyAfterMovingFarEnough) {
    const SentTarget last{100, 20};
    struct Row {
        std::optional<SentTarget> last;
        SentTarget now;
        double threshold;
        bool due;
    } const rows[] = {
        {last, {100, 20}, 0, true},  // no threshold: every tick
        {std::nullopt, {100, 20}, 2, true},
        {last, {100, 20}, 2, false},  // still target
        {last, {101.9, 21.9}, 2, false},
        {last, {102, 20}, 2, true},
        {last, {100, 18}, 2, true},
        {SentTarget{359.5, 10}, {0.5, 10}, 2, false},  // across north it moved 1 degree
        {SentTarget{359.5, 10}, {1.5, 10}, 2, true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(tracking_move_due(r.last, r.now, r.threshold), r.due)
            << r.now.azimuth << "," << r.now.elevation << " threshold " << r.threshold;
    }
    EXPECT_EQ(threshold_degrees(QStringLiteral("2.5")), 2.5);
    for (const char* s : {"90.5", "1e308"}) EXPECT_EQ(threshold_degrees(s), 90) << s;
    for (const char* s : {"", "0", "-1", "abc", "nan", "inf"})
        EXPECT_EQ(threshold_degrees(s), 0) << s;
}

TEST(Heading, WholeDegreesWithinTheRotatorsRange) {
    struct Row {
        const char* az;
        const char* el;
        int range;
        std::optional<Heading> heading;
        const char* message_start;
    } const rows[] = {
        {"180", "45", 360, Heading{180, 45}, ""},
        {" 0 ", "0", 360, Heading{0, 0}, ""},
        {"360", "90", 360, Heading{360, 90}, ""},
        {"３６０", "９０", 360, Heading{360, 90}, ""},
        {"450", "10", 450, Heading{450, 10}, ""},
        {"361", "10", 360, std::nullopt, "方位は０～360"},
        {"451", "10", 450, std::nullopt, "方位は０～450"},
        {"12.5", "10", 360, std::nullopt, "方位"},
        {"-5", "10", 360, std::nullopt, "方位"},
        {"", "10", 360, std::nullopt, "方位"},
        {"10", "91", 360, std::nullopt, "仰角は０～90"},
        {"10", "x", 360, std::nullopt, "仰角"},
    };
    for (const Row& r : rows) {
        const auto got = parse_heading(QString::fromUtf8(r.az), QString::fromUtf8(r.el), r.range);
        if (r.heading) {
            ASSERT_TRUE(std::holds_alternative<Heading>(got)) << r.az << " " << r.el;
            EXPECT_EQ(std::get<Heading>(got).azimuth, r.heading->azimuth);
            EXPECT_EQ(std::get<Heading>(got).elevation, r.heading->elevation);
        } else {
            ASSERT_TRUE(std::holds_alternative<QString>(got)) << r.az << " " << r.el;
            EXPECT_TRUE(std::get<QString>(got).startsWith(QString::fromUtf8(r.message_start)))
                << std::get<QString>(got).toStdString();
        }
    }
}

TEST(Heading, FromAnotherProgramsDegrees) {
    const auto ok = heading_from_degrees(123.9, 45.2, 360);
    ASSERT_TRUE(std::holds_alternative<Heading>(ok));
    EXPECT_EQ(std::get<Heading>(ok).azimuth, 123);
    EXPECT_EQ(std::get<Heading>(ok).elevation, 45);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& [az, el, range] : {std::tuple{400.0, 10.0, 360},
                                        {-1.0, 10.0, 360},
                                        {nan, 10.0, 360},
                                        {10.0, 90.5, 450},
                                        {10.0, nan, 450}}) {
        EXPECT_TRUE(std::holds_alternative<QString>(heading_from_degrees(az, el, range)))
            << az << " " << el;
    }
    EXPECT_TRUE(std::holds_alternative<Heading>(heading_from_degrees(450, 90, 450)));
}

TEST(Presets, EntriesOfTheSectionInFileOrderAtMostNine) {
    const QByteArray file =
        "[GS232B]\nPORT=COM1\n[PRESETS]\nJA east=90:0\n; comment\nmoon rise = 120 : 5\n"
        "bad=abc\nnocolon=90\nhigh=10:95\n[OTHER]\nx=1:1\n";
    const auto entries = ini_section_entries(file, QStringLiteral("presets"));
    ASSERT_EQ(entries.size(), 5);
    EXPECT_EQ(entries[1].first, "moon rise");
    EXPECT_EQ(entries[1].second, "120 : 5");

    const auto presets = parse_presets(entries, 360);
    ASSERT_EQ(presets.size(), 5u);
    EXPECT_EQ(presets[0].name, "JA east");
    ASSERT_TRUE(presets[1].heading.has_value());
    EXPECT_EQ(presets[1].heading->azimuth, 120);
    EXPECT_EQ(presets[1].heading->elevation, 5);
    for (size_t i : {2u, 3u, 4u}) {
        EXPECT_FALSE(presets[i].heading.has_value()) << i;
        EXPECT_FALSE(presets[i].error.isEmpty()) << i;
    }

    QList<QPair<QString, QString>> many;
    for (int i = 0; i < 12; ++i) many.append({QStringLiteral("p%1").arg(i), "10:10"});
    const auto nine = parse_presets(many, 360);
    ASSERT_EQ(nine.size(), 9u);
    EXPECT_EQ(nine.back().name, "p8");
    EXPECT_TRUE(parse_presets({}, 360).empty());
}

}  // namespace
