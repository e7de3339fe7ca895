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
    std::string calls = {};
    int station_answers = 0;  // the report each call to the station comes back with
};

const StationLink idle{true, Position{212.5, 33.25}, "idle"};
const StationLink automatic{true, Position{212.5, 33.25}, "automatic"};

class WithStation : public ::testing::TestWithParam<Row> {};

TEST_P(WithStation, AnswersWhatTheStationDid) {
    const Row& row = GetParam();
    Session session;
    std::string all, calls;
    for (auto outcomes = session.feed(row.sent, row.station); !outcomes.empty();) {
        for (const Outcome& o : outcomes) all += o.reply;
        const auto& call = outcomes.back().call;  // what follows a call waits for its answer
        if (!call) break;
        const char* kinds[] = {"move ", "stop ", "park "};
        calls += kinds[int(call->kind)] + std::to_string(int(call->to.azimuth)) + ';';
        all += track_bridge::report(row.station_answers);
        outcomes = session.resume(row.station);
    }
    EXPECT_EQ(all, row.answered);
    EXPECT_EQ(calls, row.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WithStation,
    ::testing::Values(
        Row{"PositionIsTheMeasuredOne", idle, "p\n+p\n",
            "212.500000\n33.250000\nget_pos:\nAzimuth: 212.500000\nElevation: 33.250000\nRPRT 0\n"},
        Row{"NothingMeasuredYet", {true, std::nullopt, "idle"}, "p\n", "RPRT -11\n"},
        Row{"LinkDown", {true, Position{}, "automatic", false}, "p\nP 1 2\n", "RPRT -6\nRPRT -6\n"},
        Row{"AutomaticTrackingTakesThePublishedTarget", automatic, "P 10 20\n", "RPRT 0\n"},
        Row{"OtherwiseTheStationMoves", idle, "P -10 20\n+P 370 5\n",
            "RPRT 0\nset_pos: 370 5\nRPRT 0\n", "move 350;move 10;"},
        Row{"RefusedMoveThenTheQueryThatWaited", idle, "P 10 20\np\n",
            "RPRT -9\n212.500000\n33.250000\n", "move 10;", -9},
        Row{"StateSaysSo", idle, "\\dump_state\n",
            "1\n1\nmin_az=-180.000000\nmax_az=450.000000\nmin_el=0.000000\nmax_el=90.000000\n"
            "south_zero=0\nrot_type=AzEl\nhas_park=1\nposition=station\ndone\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DumpState, WarnsOfTheDefaultPosition) {
    const StationLink unplaced{false, std::nullopt, {}, true, true};
    const std::string line = std::string("\nwarning=") + track_bridge::kDefaultObserverWarning;
    EXPECT_TRUE(track_bridge::dump_state({}, '\n', unplaced).ends_with(line + "\ndone\n"));
}

TEST(DumpCaps, SaysWhatTheBridgeCanDo) {
    Session without;
    std::string caps;
    for (const Outcome& o : without.feed("\\dump_caps\n")) caps += o.reply;
    EXPECT_NE(caps.find("Can get Position:\tY\n"), std::string::npos) << caps;
    EXPECT_NE(caps.find("Can Park:\t\tN\n"), std::string::npos) << caps;
    EXPECT_NE(caps.find("none (azelrot not running)"), std::string::npos) << caps;
    EXPECT_TRUE(caps.ends_with("RPRT 0\n")) << caps;

    Session with;
    caps.clear();
    for (const Outcome& o : with.feed("\\dump_caps\n", idle)) caps += o.reply;
    EXPECT_NE(caps.find("Can Park:\t\tY\n"), std::string::npos) << caps;
    EXPECT_NE(caps.find("Max Azimuth:\t\t450.00\n"), std::string::npos) << caps;
    EXPECT_NE(caps.find("azelrot station"), std::string::npos) << caps;
}

}  // namespace
