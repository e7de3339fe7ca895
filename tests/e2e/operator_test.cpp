// What the operator does besides manual moves: automatic tracking with the tracking program,
// the debug log, the settings dialog, a second start and the exit.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "e2e/harness.h"

namespace e2e {
namespace {

QStringList fixed_items(const QStringList& pairs) {
    QStringList args;
    for (const QString& pair : pairs) args << QStringLiteral("--fixed") << pair;
    return args;
}

std::vector<std::string> since(const std::vector<std::string>& all, std::size_t from) {
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
}

// --- automatic tracking ----------------------------------------------------------------------

struct TrackingRow {
    const char* name;
    QStringList items;      // what the tracking program publishes
    const char* satellite;  // the move command for the satellite, or none below the horizon
    const char* moon;       // likewise for the Moon
};

class AutomaticTracking : public ::testing::TestWithParam<TrackingRow> {};

// Ticks of automatic tracking until `polls` more polls came: true when every poll was preceded
// by exactly `move` (or by nothing but polls when `move` is null).
::testing::AssertionResult follows(Rig& rig, std::size_t from, const char* move, int polls) {
    if (!eventually(
            [&] { return count_of(since(rig.commands(), from), "C2") >= std::size_t(polls); },
            polls * 1000 + 4000))
        return ::testing::AssertionFailure() << "the polls stopped";
    const auto got = since(rig.commands(), from);
    for (std::size_t i = 0; i < got.size(); ++i) {
        const bool expected_move = move && got[i] == move;
        if (got[i] != "C2" && !expected_move)
            return ::testing::AssertionFailure() << "unexpected command " << got[i];
        if (got[i] == "C2" && move && (i == 0 || got[i - 1] != move))
            return ::testing::AssertionFailure() << "a poll without its move " << move;
    }
    return ::testing::AssertionSuccess();
}

TEST_P(AutomaticTracking, SendsTheTrackedObjectsAnglesEveryTick) {
    E2E_NEED_TOOLS(true);
    const TrackingRow& row = GetParam();
    Rig rig({.orbx = true, .orbx_args = fixed_items(row.items)});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    MainWindow& w = rig.window();

    ASSERT_TRUE(w.click(design::Command2));  // 自動追尾開始: the satellite is chosen
    // Starting repeats the start-up burst.
    ASSERT_TRUE(eventually([&] { return rig.commands().size() >= 6; }, 4000));
    const auto burst = since(rig.commands(), 3);
    EXPECT_EQ(std::vector<std::string>(burst.begin(), burst.begin() + 3),
              (std::vector<std::string>{"", "", "C2"}));
    EXPECT_TRUE(follows(rig, 6, row.satellite, 2));

    ASSERT_TRUE(w.click(design::Option2));  // 月
    // The tick in flight may still carry the satellite's command.
    ASSERT_TRUE(eventually([&] { return count_of(since(rig.commands(), 6), "C2") >= 3; }, 5000));
    const std::size_t moon_from = rig.commands().size();
    EXPECT_TRUE(follows(rig, moon_from, row.moon, 2));

    ASSERT_TRUE(w.click(design::Command2));  // 自動追尾終了
    EXPECT_TRUE(rig.wait_quiet(2500, 6000));
    EXPECT_EQ(rig.commands().back(), "C2");
}

INSTANTIATE_TEST_SUITE_P(
    Objects, AutomaticTracking,
    ::testing::Values(TrackingRow{"BothUp",
                                  {QStringLiteral("TEXT2=123.9"), QStringLiteral("TEXT3=5.2"),
                                   QStringLiteral("text10=250.7"), QStringLiteral("text11=12.3")},
                                  "W123 005",
                                  "W250 012"},
                      TrackingRow{"SatelliteBelowTheHorizon",
                                  {QStringLiteral("TEXT2=200.0"), QStringLiteral("TEXT3=-0.5"),
                                   QStringLiteral("text10=10"), QStringLiteral("text11=45")},
                                  nullptr,
                                  "W010 045"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- debug log ---------------------------------------------------------------------------------

QString read_text(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TEST(DebugSwitch, OnWritesEveryCommandAndReplyOffStops) {
    E2E_NEED_TOOLS(false);
    Rig rig({.sim_args = {QStringLiteral("--az-speed"), QStringLiteral("0.5"),
                          QStringLiteral("--el-speed"), QStringLiteral("0.5")}});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    MainWindow& w = rig.window();
    const QString log = rig.station_file(QStringLiteral("azelrot.log"));

    // Off at start: a move and its stop leave no log.
    ASSERT_TRUE(w.click_radar(45, 0));
    ASSERT_TRUE(w.click(design::Command4));
    ASSERT_GE(rig.wait_command("W090 045", 3, 4000), 0);
    ASSERT_TRUE(w.click(design::Command4));
    ASSERT_GE(rig.wait_command("S", 3, 4000), 0);
    EXPECT_FALSE(QFile::exists(log));

    ASSERT_TRUE(w.debug(true));
    const std::size_t before = rig.commands().size();
    ASSERT_TRUE(w.click_radar(-45, 0));
    ASSERT_TRUE(w.click(design::Command4));
    ASSERT_GE(rig.wait_command("W270 045", before, 4000), 0);
    ASSERT_GE(rig.wait_command("C2", before + 1, 4000), 0);
    const QString stamp = QStringLiteral(R"(\d\d年\d\d月\d\d日　\d\d時\d\d分\d\d秒  )");
    const QString expected[] = {
        QStringLiteral("put_data : 57323730203034350D\r\n"),
        QStringLiteral("put_data : 43320D\r\n"),
        QStringLiteral("picnic_rs232c_read_proc : ＰＩＣＮＩＣ接続ではない状態\r\n"),
        QStringLiteral("receive_proc : AZ=\\d\\d\\d  EL=\\d\\d\\d\r\n\r\n"),
    };
    ASSERT_TRUE(
        eventually([&] { return read_text(log).contains(QStringLiteral("receive_proc")); }, 3000));
    const QString text = read_text(log);
    for (const QString& line : expected) {
        EXPECT_TRUE(QRegularExpression(u'^' + stamp + line, QRegularExpression::MultilineOption)
                        .match(text)
                        .hasMatch())
            << line.toStdString() << " in\n"
            << text.toStdString();
    }

    ASSERT_TRUE(w.debug(false));
    const qint64 size = QFileInfo(log).size();
    const std::size_t polled = rig.commands().size();
    ASSERT_TRUE(eventually([&] { return rig.commands().size() >= polled + 2; }, 4000));
    pause_ms(300);
    EXPECT_EQ(QFileInfo(log).size(), size);
    ASSERT_TRUE(w.click(design::Command4));
}

// --- settings dialog ----------------------------------------------------------------------------

struct SettingsRow {
    const char* name;
    const char* interval;
    bool tick_link;
    bool saved;
};

class SettingsDialog : public ::testing::TestWithParam<SettingsRow> {};

TEST_P(SettingsDialog, SaveWritesTheSixKeysAndEndsTheProgram) {
    E2E_NEED_TOOLS(false);
    const SettingsRow& row = GetParam();
    Rig rig({});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    // Saving ends the program without the exit steps: a moved window is not stored.
    ASSERT_TRUE(rig.desktop().move(rig.window().id(), QPoint(300, 200)));
    const QString before = rig.read_ini();

    ASSERT_TRUE(rig.window().open_settings());
    const auto dialog =
        rig.desktop().wait_window(QString::fromUtf8(settings_title), rig.pid(), 5000);
    ASSERT_TRUE(dialog);
    const auto g = rig.desktop().geometry(*dialog);
    ASSERT_TRUE(g);
    const auto at = [&](const Twips& t) {
        return g->topLeft() + QPoint(int(std::lround((t.left + t.width / 2.0) / 15)),
                                     int(std::lround((t.top + t.height / 2.0) / 15)));
    };
    // Keys go where the keyboard is: the dialog must hold it before they are pressed.
    ASSERT_TRUE(rig.desktop().focus(*dialog));
    ASSERT_TRUE(rig.desktop().click(at(design::form2_Text1)));
    ASSERT_TRUE(rig.desktop().key({QStringLiteral("ctrl+a")}));
    ASSERT_TRUE(rig.desktop().type(QString::fromLatin1(row.interval)));
    if (row.tick_link) {
        ASSERT_TRUE(rig.desktop().click(at(design::form2_Check1)));
    }
    ASSERT_TRUE(rig.desktop().click(at(design::form2_Command1)));  // 登録終了

    // "設定変更がされています。…" on a save, "処理時間間隔の設定時間が大きすぎます。" on a refusal.
    ASSERT_TRUE(dismiss_box(rig.desktop(), rig.pid()));
    if (!row.saved) {
        pause_ms(1000);
        EXPECT_TRUE(rig.program().running());
        EXPECT_EQ(rig.read_ini(), before);
        EXPECT_FALSE(rig.desktop().windows(QString::fromUtf8(settings_title), rig.pid()).empty());
        return;
    }
    EXPECT_EQ(rig.wait_program_end(5000), std::optional<int>(0));
    const QString ini = rig.read_ini();
    const auto value = [&](const char* section, const char* key) {
        return ini_value(ini, QString::fromLatin1(section), QString::fromLatin1(key))
            .value_or(QStringLiteral("(missing)"))
            .toStdString();
    };
    EXPECT_EQ(value("GS232B", "PICNIC"), "0");
    EXPECT_EQ(value("GS232B", "ORBX"), row.tick_link ? "1" : "0");
    EXPECT_EQ(value("HOUI", "HKITEN"), "0");
    EXPECT_EQ(value("GS232B", "PORT"), rig.sim().pty().toStdString());
    EXPECT_EQ(value("GS232B", "TIMER"), row.interval);
    EXPECT_EQ(value("TCP/IP", "IP"), "127.0.0.1");
    EXPECT_EQ(value("WIN_POSITION", "GS232B_TOP_LEFT"), "4600:9000");
    // Nothing went to the controller.
    EXPECT_EQ(rig.commands().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Intervals, SettingsDialog,
                         ::testing::Values(SettingsRow{"Saved", "3", true, true},
                                           SettingsRow{"IntervalTooLong", "11", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- second copy and exit
// -------------------------------------------------------------------------

TEST(SecondCopy, IsRefusedAndTheFirstRunsOn) {
    E2E_NEED_TOOLS(false);
    Rig rig({});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    auto second = rig.start_second_copy();
    const qint64 second_pid = second->process().processId();
    // "既に起動されています。"
    EXPECT_TRUE(dismiss_box(rig.desktop(), second_pid, 10000));
    ASSERT_TRUE(second->process().waitForFinished(5000));
    EXPECT_EQ(second->process().exitCode(), 0);
    EXPECT_TRUE(rig.desktop().windows(QString::fromUtf8(main_title), second_pid).empty());

    EXPECT_TRUE(rig.program().running());
    EXPECT_EQ(rig.desktop().windows(QString::fromUtf8(main_title)).size(), 1u);
    // The second copy never reached the controller; the first still does.
    EXPECT_EQ(rig.commands().size(), 3u);
    ASSERT_TRUE(rig.window().click_radar(45, 0));
    ASSERT_TRUE(rig.window().click(design::Command4));
    EXPECT_GE(rig.wait_command("W090 045", 3, 4000), 0);
}

struct ExitRow {
    const char* name;
    bool linked;
    bool choose_satellite;    // the stored kind 5 starts with the Moon chosen
    const char* stored_kind;  // EISEI/SAT afterwards
};

class ExitButton : public ::testing::TestWithParam<ExitRow> {};

TEST_P(ExitButton, StoresTheWindowPositionAndWithTheLinkTheTarget) {
    const ExitRow& row = GetParam();
    E2E_NEED_TOOLS(row.linked);
    Rig rig({.orbx = row.linked, .ini_extra = QStringLiteral("[EISEI]\nSAT=5\n")});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    if (row.choose_satellite) {
        ASSERT_TRUE(rig.window().click(design::Option1));
    }
    ASSERT_TRUE(rig.desktop().move(rig.window().id(), QPoint(321, 123)));
    pause_ms(200);

    // The serial port closes after a two-second pause.
    EXPECT_EQ(rig.exit_by_button(10000), std::optional<int>(0));
    const QString ini = rig.read_ini();
    EXPECT_EQ(ini_value(ini, QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT")),
              std::optional<QString>(QStringLiteral("1845:4815")));
    EXPECT_EQ(ini_value(ini, QStringLiteral("EISEI"), QStringLiteral("SAT")),
              std::optional<QString>(QString::fromLatin1(row.stored_kind)));
}

INSTANTIATE_TEST_SUITE_P(Links, ExitButton,
                         ::testing::Values(ExitRow{"LinkOffKeepsTheTarget", false, false, "5"},
                                           ExitRow{"LinkOnStoresTheChoice", true, true, "0"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
