// The program's surroundings failing: the tracking program going away and coming back, a
// settings file that cannot be written, a folder where no log can be kept.

#include <gtest/gtest.h>

#include <QFile>

#include "e2e/harness.h"

namespace e2e {
namespace {

std::vector<std::string> since(const std::vector<std::string>& all, std::size_t from) {
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
}

QStringList satellite_at(const char* azimuth, const char* elevation) {
    return {QStringLiteral("--fixed"), QStringLiteral("TEXT2=") + QLatin1String(azimuth),
            QStringLiteral("--fixed"), QStringLiteral("TEXT3=") + QLatin1String(elevation)};
}

// "移動場所を指定してください": the window still takes clicks and answers them.
::testing::AssertionResult answers_clicks(Rig& rig) {
    if (!rig.window().click(design::Command4)) return ::testing::AssertionFailure() << "no click";
    if (!dismiss_box(rig.desktop(), rig.pid()))
        return ::testing::AssertionFailure() << "no answer to a click";
    return ::testing::AssertionSuccess();
}

TEST(TrackingProgram, KilledWhileLinkedWarnsOnceAndIsFollowedAgainWhenBack) {
    E2E_NEED_TOOLS(true);
    Rig rig({.sim_args = {QStringLiteral("--instant")},
             .orbx = true,
             .orbx_args = satellite_at("123.4", "30.5")});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    ASSERT_TRUE(rig.window().click(design::Command2));  // 自動追尾開始
    const int first = rig.wait_command("W123 030", 3, 5000);
    ASSERT_GE(first, 0);

    const QColor red(255, 0, 0), cyan(0, 255, 255);
    EXPECT_TRUE(rig.window().shows(design::link_lamp, red));

    rig.kill_orbx();
    // "ＯＲＢＸが起動していません。ＯＲＢＸを起動してください", once.
    ASSERT_TRUE(dismiss_box(rig.desktop(), rig.pid(), 6000));
    const std::size_t after_box = rig.commands().size();
    EXPECT_TRUE(rig.window().shows(design::link_lamp, cyan));
    // The last values received still steer the antenna, every tick.
    ASSERT_TRUE(eventually(
        [&] { return count_of(since(rig.commands(), after_box), "W123 030") >= 2; }, 6000));
    EXPECT_TRUE(rig.desktop().windows(box_pattern(), rig.pid()).empty());

    ASSERT_TRUE(rig.start_orbx(satellite_at("200.2", "40.9")));
    EXPECT_GE(rig.wait_command("W200 040", after_box, 6000), 0);
    EXPECT_TRUE(rig.window().shows(design::link_lamp, red));
    EXPECT_TRUE(rig.desktop().windows(box_pattern(), rig.pid()).empty());
    EXPECT_TRUE(rig.program().running());
}

QByteArray file_bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// The program runs as another user where the test runs as root (root writes anywhere); the
// station folder and its settings file are then truly read-only to it.
TEST(ReadOnlySettings, ExitCannotStoreThePositionYetEnds) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = Transport::board, .read_only_station = true});
    E2E_READY(rig);
    const QByteArray before = file_bytes(rig.ini_path());
    ASSERT_TRUE(rig.start_program());
    ASSERT_TRUE(rig.window().click_radar(45, 0));
    ASSERT_TRUE(rig.window().click(design::Command4));
    ASSERT_GE(rig.wait_command("W090 045", 3, 5000), 0);
    ASSERT_TRUE(rig.desktop().move(rig.window().id(), QPoint(321, 123)));

    EXPECT_EQ(rig.exit_by_button(10000), std::optional<int>(0));
    EXPECT_EQ(file_bytes(rig.ini_path()), before);
}

TEST(ReadOnlySettings, SaveIsRefusedWithAMessageAndTheProgramRunsOn) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = Transport::board, .read_only_station = true});
    E2E_READY(rig);
    const QByteArray before = file_bytes(rig.ini_path());
    ASSERT_TRUE(rig.start_program());
    ASSERT_TRUE(rig.window().open_settings());
    const auto dialog =
        rig.desktop().wait_window(QString::fromUtf8(settings_title), rig.pid(), 5000);
    ASSERT_TRUE(dialog);
    const auto g = rig.desktop().geometry(*dialog);
    ASSERT_TRUE(g);
    const Twips& save = design::form2_Command1;
    ASSERT_TRUE(rig.desktop().click(g->topLeft() + QPoint((save.left + save.width / 2) / 15,
                                                          (save.top + save.height / 2) / 15)));
    // "設定ファイルに書き込めませんでした。": ending now would lose the settings unsaid.
    ASSERT_TRUE(dismiss_box(rig.desktop(), rig.pid()));
    pause_ms(1000);
    EXPECT_TRUE(rig.program().running());
    EXPECT_EQ(file_bytes(rig.ini_path()), before);

    // The main window goes on: a picked point still moves the antenna.
    ASSERT_TRUE(rig.window().click_radar(-45, 0));
    ASSERT_TRUE(rig.window().click(design::Command4));
    EXPECT_GE(rig.wait_command("W270 045", 3, 5000), 0);
}

TEST(LogFolder, NotWritableLeavesTheProgramWorking) {
    E2E_NEED_TOOLS(false);
    Rig rig({.transport = Transport::board, .read_only_station = true});
    E2E_READY(rig);
    ASSERT_TRUE(rig.start_program());
    ASSERT_TRUE(rig.window().debug(true));

    ASSERT_TRUE(rig.window().click_radar(-45, 0));
    ASSERT_TRUE(rig.window().click(design::Command4));
    const int move = rig.wait_command("W270 045", 3, 5000);
    ASSERT_GE(move, 0);
    ASSERT_GE(rig.wait_command("C2", std::size_t(move) + 1, 4000), 0);
    ASSERT_TRUE(rig.window().click(design::Command4));  // 手動中止
    ASSERT_GE(rig.wait_command("S", std::size_t(move) + 1, 4000), 0);
    EXPECT_FALSE(QFile::exists(rig.station_file(QStringLiteral("azelrot.log"))));

    EXPECT_TRUE(answers_clicks(rig));
    EXPECT_EQ(rig.exit_by_button(10000), std::optional<int>(0));
}

}  // namespace
}  // namespace e2e
