#include <gtest/gtest.h>

#include <vector>

#include "link/link_health.h"
#include "link/link_text.h"

namespace {

// o opened, l lost, p poll sent, r reply without a position, P position reply
struct Event {
    char what;
    double t;
};

struct HealthRow {
    const char* name;
    std::vector<Event> events;
    double at;
    LinkState state;
    bool known;
};

class Health : public ::testing::TestWithParam<HealthRow> {};

TEST_P(Health, StateAndPositionFollowTheEvents) {
    const HealthRow& row = GetParam();
    LinkHealth h;
    for (const Event& e : row.events) {
        if (e.what == 'o') {
            h.opened(e.t);
        } else if (e.what == 'l') {
            h.lost(e.t, QStringLiteral("gone"));
        } else if (e.what == 'p') {
            h.poll_sent(e.t);
        } else {
            h.reply_arrived(e.t, e.what == 'P');
        }
    }
    EXPECT_EQ(h.state(row.at), row.state);
    EXPECT_EQ(h.position_known(row.at), row.known);
    EXPECT_EQ(h.can_send(row.at), row.state != LinkState::down);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Health,
    ::testing::Values(
        HealthRow{"NeverOpened", {}, 0, LinkState::down, false},
        HealthRow{"OpenedNothingHeardYet", {{'o', 0}}, 60, LinkState::up, false},
        HealthRow{"PositionSinceOpened", {{'o', 0}, {'P', 1}}, 1, LinkState::up, true},
        HealthRow{"PollAnsweredInTime", {{'o', 0}, {'p', 1}, {'P', 4}}, 9, LinkState::up, true},
        HealthRow{"ThreeSecondsIsStillUp", {{'o', 0}, {'P', 0}, {'p', 1}}, 4, LinkState::up, true},
        HealthRow{"LongerIsSilent", {{'o', 0}, {'P', 0}, {'p', 1}}, 4.01, LinkState::silent, false},
        HealthRow{"LaterPollsDoNotRestartTheWait",
                  {{'o', 0}, {'p', 1}, {'p', 3}, {'p', 4}},
                  4.5,
                  LinkState::silent,
                  false},
        HealthRow{"AnyReplyEndsSilenceButNotTheDoubt",
                  {{'o', 0}, {'P', 0}, {'p', 1}, {'r', 5}},
                  5,
                  LinkState::up,
                  false},
        HealthRow{"PositionAfterSilence", {{'o', 0}, {'p', 1}, {'P', 5}}, 5, LinkState::up, true},
        HealthRow{"Lost", {{'o', 0}, {'P', 0}, {'l', 2}}, 2, LinkState::down, false},
        HealthRow{"ReopenedForgetsTheOldPosition",
                  {{'o', 0}, {'P', 0}, {'l', 2}, {'o', 3}},
                  3,
                  LinkState::up,
                  false},
        HealthRow{"NothingCountsWhileDown",
                  {{'o', 0}, {'l', 1}, {'p', 1}, {'P', 2}, {'o', 3}},
                  9,
                  LinkState::up,
                  false},
        HealthRow{"OpenedAgainWhileOpenChangesNothing",
                  {{'o', 0}, {'P', 1}, {'p', 2}, {'o', 3}},
                  5.5,
                  LinkState::silent,
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HealthReason, SaysWhyOnlyWhileDown) {
    LinkHealth h;
    h.lost(0, QStringLiteral("unplugged"));
    EXPECT_EQ(h.why_down(), QStringLiteral("unplugged"));
    h.opened(1);
    EXPECT_TRUE(h.why_down().isEmpty());
}

TEST(SerialOpenFailure, SaysWhyAndWhatToDo) {
    using platform::OpenFailure;
    const struct {
        std::optional<OpenFailure> failure;
        const char* group;
        const char* told;
    } rows[] = {
        {std::nullopt, "", "ポート名が正しくありません。設定 → 環境設定 で選び直してください。"},
        {OpenFailure::no_permission, "uucp",
         "このユーザーにはデバイスを使う権限がありません。デバイスのグループ uucp にユーザーを加え"
         "（sudo adduser $USER uucp）、ログインし直してください。"},
        {OpenFailure::no_permission, "", "グループ dialout に"},
        {OpenFailure::in_use, "", "ほかのプログラムが使っています。つながりしだい自動で開きます。"},
    };
    for (const auto& row : rows) {
        const QString text = link_text::serial_open_failed(
            QStringLiteral(" COM3 "), row.failure ? QStringLiteral("/dev/ttyUSB0") : QString(),
            row.failure, QStringLiteral("errno"), QString::fromUtf8(row.group));
        EXPECT_TRUE(text.startsWith(
            row.failure ? QStringLiteral("シリアルポート COM3（/dev/ttyUSB0）を開けません。")
                        : QStringLiteral("シリアルポート COM3 を開けません。")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf8(row.told))) << text.toStdString();
    }
}

}  // namespace
