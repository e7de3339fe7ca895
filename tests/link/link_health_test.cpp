#include <gtest/gtest.h>

#include <QStringList>

#include "link/link_health.h"
#include "link/link_text.h"

namespace {

TEST(LinkHealthRules, StateAndPositionFollowWhatTheTransportsDid) {
    using enum LinkState;
    const struct {
        const char* events;  // at their times: o opened, l lost, p poll, r reply, P position
        double at;
        LinkState state;
        bool known;
    } rows[] = {
        {"", 0, down, false},
        {"o0", 60, up, false},
        {"o0 P1", 1, up, true},
        {"o0 p1 P4", 9, up, true},
        {"o0 P0 p1", 4, up, true},  // 3 s is still in time
        {"o0 P0 p1", 4.01, silent, false},
        {"o0 p1 p3 p4", 4.5, silent, false},  // later polls do not restart the wait
        {"o0 P0 p1 r5", 5, up, false},        // any reply ends the silence, not the doubt
        {"o0 p1 P5", 5, up, true},
        {"o0 P0 l2", 2, down, false},
        {"o0 P0 l2 o3", 3, up, false},        // a position from before the loss is gone
        {"o0 l1 p1 P2 o3", 9, up, false},     // nothing counts while down
        {"o0 P1 p2 o3", 5.5, silent, false},  // opened again while open changes nothing
    };
    for (const auto& row : rows) {
        LinkHealth h;
        for (const QString& e : QString::fromLatin1(row.events).split(u' ', Qt::SkipEmptyParts)) {
            const double t = e.mid(1).toDouble();
            if (e[0] == u'o') h.opened(t);
            if (e[0] == u'l') h.lost(t, QStringLiteral("gone"));
            if (e[0] == u'p') h.poll_sent(t);
            if (e[0] == u'r' || e[0] == u'P') h.reply_arrived(t, e[0] == u'P');
        }
        EXPECT_EQ(h.state(row.at), row.state) << row.events << " at " << row.at;
        EXPECT_EQ(h.position_known(row.at), row.known) << row.events << " at " << row.at;
    }
}

TEST(SerialOpenFailure, APermissionRefusalNamesTheGroupToJoin) {
    const QString text = link_text::serial_open_failed(
        QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0"),
        platform::OpenFailure::no_permission, {}, QStringLiteral("uucp"));
    EXPECT_TRUE(
        text.contains(QStringLiteral("グループ uucp にユーザーを加え（sudo adduser $USER uucp）")));
}

}  // namespace
