// A controller that misbehaves: replies in two parts, silence, line noise, and a network board
// whose connection drops. The program must go on polling, answer the operator and recover.

#include <gtest/gtest.h>

#include "e2e/harness.h"

namespace e2e {
namespace {

std::vector<std::string> since(const std::vector<std::string>& all, std::size_t from) {
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
}

QStringList args(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* a : list) out << QString::fromLatin1(a);
    return out;
}

// Picks east at half height and starts the move; the index of its command, or -1.
int start_move_east(Rig& rig) {
    const std::size_t before = rig.commands().size();
    if (!rig.window().click_radar(45, 0) || !rig.window().click(design::Command4)) return -1;
    return rig.wait_command("W090 045", before, 5000);
}

// The move ended by itself: polls came after it, then stopped, and no stop was sent.
::testing::AssertionResult ended_on_arrival(Rig& rig, int move) {
    if (!rig.wait_quiet(2500, 20000)) return ::testing::AssertionFailure() << "polls go on";
    const auto after = since(rig.commands(), static_cast<std::size_t>(move) + 1);
    if (count_of(after, "C2") == 0) return ::testing::AssertionFailure() << "never polled";
    if (count_of(rig.commands(), "S") != 0) return ::testing::AssertionFailure() << "stopped";
    return ::testing::AssertionSuccess();
}

// Waits for `n` more polls after index `from`.
bool polls_go_on(Rig& rig, std::size_t from, std::size_t n) {
    return eventually([&] { return count_of(since(rig.commands(), from), "C2") >= n; },
                      static_cast<int>(n) * 1000 + 4000);
}

class FaultOverTransport : public ::testing::TestWithParam<Transport> {};

TEST_P(FaultOverTransport, ReplySplitInTwoWritesStillEndsTheMove) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = GetParam(),
             .sim_args = args({"--split-reply", "60", "--az-speed", "45", "--el-speed", "45"})});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    const int move = start_move_east(rig);
    ASSERT_GE(move, 0);
    EXPECT_TRUE(ended_on_arrival(rig, move));
    EXPECT_TRUE(rig.program().running());
}

TEST_P(FaultOverTransport, MuteControllerKeepsThePollsGoingAndTheStopButtonWorking) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = GetParam(), .sim_args = args({"--instant", "--mute"})});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    const int move = start_move_east(rig);
    ASSERT_GE(move, 0);
    // No answer, so no arrival: the polls go on.
    ASSERT_TRUE(polls_go_on(rig, std::size_t(move) + 1, 3));

    ASSERT_TRUE(rig.window().click(design::Command4));  // 手動中止
    ASSERT_GE(rig.wait_command("S", std::size_t(move) + 1, 4000), 0);
    EXPECT_TRUE(rig.wait_quiet(2500, 8000));

    // Speaking again, the controller's position ends the next move.
    ASSERT_TRUE(rig.control(QStringLiteral("mute off")));
    const int again = start_move_east(rig);
    ASSERT_GE(again, 0);
    EXPECT_TRUE(rig.wait_quiet(2500, 10000));
    EXPECT_GE(count_of(since(rig.commands(), std::size_t(again) + 1), "C2"), 1u);
    EXPECT_EQ(count_of(rig.commands(), "S"), 1u);
}

TEST_P(FaultOverTransport, LineNoiseIsSurvivedAndTheMoveEndsOnceRepliesMakeSense) {
    E2E_NEED_TOOLS(false);
    // NUL, 0xFF and random bytes in place of every reply.
    Rig rig({.transport = GetParam(), .sim_args = args({"--instant", "--garbage"})});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    const int move = start_move_east(rig);
    ASSERT_GE(move, 0);
    ASSERT_TRUE(polls_go_on(rig, std::size_t(move) + 1, 3));
    EXPECT_TRUE(rig.program().running());

    ASSERT_TRUE(rig.control(QStringLiteral("garbage off")));
    EXPECT_TRUE(ended_on_arrival(rig, move));
    EXPECT_TRUE(rig.program().running());
}

INSTANTIATE_TEST_SUITE_P(Transports, FaultOverTransport,
                         ::testing::Values(Transport::serial, Transport::board),
                         [](const auto& info) {
                             return info.param == Transport::serial ? std::string("SerialPort")
                                                                    : std::string("NetworkBoard");
                         });

TEST(NetworkBoard, ConnectionClosedAfterEveryReplyIsMadeAgain) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = Transport::board, .sim_args = args({"--instant"})});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    ASSERT_TRUE(rig.control(QStringLiteral("drop-tcp-after 1")));
    const int move = start_move_east(rig);
    ASSERT_GE(move, 0);
    EXPECT_TRUE(ended_on_arrival(rig, move));
    for (const Received& r : rig.received()) EXPECT_EQ(r.transport, "tcp");
}

TEST(NetworkBoard, ConnectionDroppedInTheMiddleOfAReplyIsMadeAgain) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = Transport::board});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    // Half of every reply now, the rest much later: the board goes down in between.
    ASSERT_TRUE(rig.control(QStringLiteral("split-reply 3000")));
    const int move = start_move_east(rig);
    ASSERT_GE(move, 0);
    ASSERT_GE(rig.wait_command("C2", std::size_t(move) + 1, 4000), 0);
    pause_ms(500);
    rig.kill_sim();

    // The board back, its antenna where the move was going.
    ASSERT_TRUE(rig.restart_sim(args({"--instant", "--initial", "90,45"})));
    // Tried again every 2 s, once the 5 s the refused board is left alone are over.
    ASSERT_GE(rig.wait_command("C2", 0, 8000), 0);
    EXPECT_TRUE(rig.wait_quiet(2500, 10000));
    EXPECT_EQ(count_of(rig.commands(), "S"), 0u);
    EXPECT_TRUE(rig.program().running());
}

}  // namespace
}  // namespace e2e
