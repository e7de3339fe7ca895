// The tracker conversation with and without the main program's station on the bus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rotctl_protocol.h"

namespace {

using track_bridge::Outcome;
using track_bridge::Position;
using track_bridge::Session;
using track_bridge::StationLink;

struct Row {
    const char* name;
    StationLink station;
    std::string sent;
    std::string answered;
    int stops;
    int parks;
};

const StationLink absent{};
const StationLink reporting{true, Position{212.5, 33.25}};
const StationLink silent{true, std::nullopt};  // there, but no position reported yet

class WithStation : public ::testing::TestWithParam<Row> {};

TEST_P(WithStation, AnswersAndAsksTheStation) {
    const Row& row = GetParam();
    Session session;
    Position target;
    std::string all;
    int stops = 0, parks = 0;
    for (const Outcome& o : session.feed(row.sent, target, row.station)) {
        all += o.reply;
        stops += o.stop ? 1 : 0;
        parks += o.park ? 1 : 0;
    }
    EXPECT_EQ(all, row.answered);
    EXPECT_EQ(stops, row.stops);
    EXPECT_EQ(parks, row.parks);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WithStation,
    ::testing::Values(
        Row{"PositionIsTheAntennas", reporting, "P 10 20\np\n+p\n",
            "RPRT 0\n212.500000\n33.250000\n"
            "get_pos:\nAzimuth: 212.500000\nElevation: 33.250000\nRPRT 0\n",
            0, 0},
        Row{"NoReportYetGivesTheTarget", silent, "P 10 20\np\n", "RPRT 0\n10.000000\n20.000000\n",
            0, 0},
        Row{"AbsentGivesTheTarget", absent, "P 10 20\np\n", "RPRT 0\n10.000000\n20.000000\n", 0, 0},
        Row{"StopAndPark", reporting, "S\nK\n\\park\n", "RPRT 0\nRPRT 0\nRPRT 0\n", 1, 2},
        Row{"ParkWithoutStationIsUnknown", absent, "K\n", "RPRT -1\n", 0, 0},
        Row{"StateSaysSo", reporting, "\\dump_state\n",
            "1\n1\nmin_az=-180.000000\nmax_az=450.000000\nmin_el=0.000000\nmax_el=90.000000\n"
            "south_zero=0\nrot_type=AzEl\nhas_park=1\nposition=station\ndone\n",
            0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DumpState, WarnsOfTheDefaultPosition) {
    const StationLink unplaced{false, std::nullopt, true};
    const std::string line = std::string("\nwarning=") + track_bridge::kDefaultObserverWarning;
    EXPECT_TRUE(track_bridge::dump_state({}, '\n', unplaced).ends_with(line + "\ndone\n"));
}

TEST(DumpCaps, SaysWhatTheBridgeCanDo) {
    Session without;
    Position target;
    std::string caps;
    for (const Outcome& o : without.feed("\\dump_caps\n", target)) caps += o.reply;
    EXPECT_NE(caps.find("Can get Position:\tY\n"), std::string::npos) << caps;
    EXPECT_NE(caps.find("Can Park:\t\tN\n"), std::string::npos) << caps;
    EXPECT_NE(caps.find("Position source:\tlast target set\n"), std::string::npos) << caps;
    EXPECT_TRUE(caps.ends_with("RPRT 0\n")) << caps;

    Session with;
    caps.clear();
    for (const Outcome& o : with.feed("\\dump_caps\n", target, reporting)) caps += o.reply;
    EXPECT_NE(caps.find("Can Park:\t\tY\n"), std::string::npos) << caps;
    EXPECT_NE(caps.find("Max Azimuth:\t\t450.00\n"), std::string::npos) << caps;
    EXPECT_NE(caps.find("azelrot station"), std::string::npos) << caps;
}

}  // namespace
