// The operator's manual moves through the real window, over the serial port (the simulator's
// pseudo-terminal) and over the network board (the simulator on TCP 127.0.0.1).

#include <gtest/gtest.h>

#include "e2e/harness.h"

namespace e2e {
namespace {

std::string transport_name(Transport t) {
    return t == Transport::serial ? "pty" : "tcp";
}

// Commands from index `from` on.
std::vector<std::string> since(const std::vector<std::string>& all, std::size_t from) {
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
}

class WindowOverTransport : public ::testing::TestWithParam<Transport> {};

TEST_P(WindowOverTransport, StartsWithTwoBareReturnsAndOnePollThenStaysQuiet) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = GetParam()});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    // Idle, the cycle sends nothing.
    EXPECT_TRUE(rig.wait_quiet(2500, 8000));
    const auto got = rig.received();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].command, "");
    EXPECT_EQ(got[1].command, "");
    EXPECT_EQ(got[2].command, "C2");
    for (const Received& r : got) EXPECT_EQ(r.transport, transport_name(GetParam()));
}

TEST_P(WindowOverTransport, ManualMoveEndsByItselfOnArrival) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = GetParam(),
             .sim_args = {QStringLiteral("--az-speed"), QStringLiteral("45"),
                          QStringLiteral("--el-speed"), QStringLiteral("45")}});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    MainWindow& w = rig.window();

    ASSERT_TRUE(w.click_radar(45, 0));  // east, halfway up
    ASSERT_TRUE(w.click(design::Command4));
    const int move = rig.wait_command("W090 045", 3, 5000);
    ASSERT_GE(move, 0) << "commands: " << rig.commands().size();
    // Green while it runs; the style's gradient stays far closer to it than a grey face.
    const QColor running(0, 255, 0);
    constexpr int shading = 128;
    EXPECT_TRUE(w.shows(design::Command4, running, shading));

    // Polled while it turns; once the position is within reach nothing more is sent.
    ASSERT_TRUE(rig.wait_quiet(2500, 20000));
    const auto after = since(rig.commands(), static_cast<std::size_t>(move) + 1);
    EXPECT_GE(count_of(after, "C2"), 1u);
    EXPECT_EQ(after.size(), count_of(after, "C2"));
    EXPECT_EQ(count_of(rig.commands(), "S"), 0u);
    EXPECT_FALSE(w.shows(design::Command4, running, shading, 0));

    // The move is over and its target spent: the button asks for a new one.
    const std::size_t sent = rig.commands().size();
    ASSERT_TRUE(w.click(design::Command4));
    EXPECT_TRUE(dismiss_box(rig.desktop(), rig.pid()));
    pause_ms(500);
    EXPECT_EQ(rig.commands().size(), sent);
}

TEST_P(WindowOverTransport, ManualStopSendsStopAndEndsThePolls) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = GetParam()});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    MainWindow& w = rig.window();

    ASSERT_TRUE(w.click_radar(-45, 0));  // west: far from north at 6 degrees a second
    ASSERT_TRUE(w.click(design::Command4));
    const int move = rig.wait_command("W270 045", 3, 5000);
    ASSERT_GE(move, 0);
    ASSERT_GE(rig.wait_command("C2", static_cast<std::size_t>(move) + 1, 4000), 0);

    ASSERT_TRUE(w.click(design::Command4));  // now "手動中止"
    const int stop = rig.wait_command("S", static_cast<std::size_t>(move) + 1, 4000);
    ASSERT_GE(stop, 0);
    EXPECT_TRUE(rig.wait_quiet(2500, 8000));
    EXPECT_EQ(rig.commands().back(), "S");
}

// Picked points and the move command each gives: whole degrees rounded down, and a point
// outside the horizon ring sends elevation 0.
TEST_P(WindowOverTransport, PickedPointsGiveTheirMoveCommands) {
    E2E_NEED_TOOLS(false);
    struct Row {
        int dx, dy;  // pixels from the radar's centre, y downwards
        const char* command;
    };
    const Row rows[] = {
        {60, 0, "W090 030"},   {-30, 0, "W270 060"}, {40, -20, "W063 045"},
        {-20, 40, "W206 045"}, {20, 30, "W146 053"}, {85, -40, "W064 000"},
    };
    // Slow enough that no target is reached while the row runs.
    Rig rig({.transport = GetParam(),
             .sim_args = {QStringLiteral("--az-speed"), QStringLiteral("0.5"),
                          QStringLiteral("--el-speed"), QStringLiteral("0.5")}});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    MainWindow& w = rig.window();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        const std::size_t before = rig.commands().size();
        ASSERT_TRUE(w.click_radar(row.dx, row.dy));
        ASSERT_TRUE(w.click(design::Command4));
        const int move = rig.wait_command(row.command, before, 4000);
        EXPECT_GE(move, 0) << "got " << rig.commands().back();
        ASSERT_TRUE(w.click(design::Command4));
        ASSERT_GE(rig.wait_command("S", before, 4000), 0);
        const auto mine = since(rig.commands(), before);
        EXPECT_EQ(mine.front(), row.command);
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, WindowOverTransport,
                         ::testing::Values(Transport::serial, Transport::board),
                         [](const auto& info) {
                             return info.param == Transport::serial ? std::string("SerialPort")
                                                                    : std::string("NetworkBoard");
                         });

}  // namespace
}  // namespace e2e
