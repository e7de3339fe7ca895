#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "platform/instance_guard_lock.h"
#include "platform/program_dir_app.h"
#include "platform/program_dir_choice.h"

namespace {

using platform::choose_program_dir;
using platform::ProgramDirFacts;

struct FolderRow {
    const char* what;
    bool holds_ini;
    bool installed;
    bool writable;
    const char* xdg;
    const char* expected;
};

class SettingsFolder : public ::testing::TestWithParam<FolderRow> {};

TEST_P(SettingsFolder, StationFolderOrPerUserFolder) {
    const FolderRow& row = GetParam();
    ProgramDirFacts facts;
    facts.program_dir = QStringLiteral("/opt/station");
    facts.holds_ini = row.holds_ini;
    facts.installed = row.installed;
    facts.writable = row.writable;
    facts.xdg_config_home = QString::fromUtf8(row.xdg);
    facts.home = QStringLiteral("/home/op");
    EXPECT_EQ(choose_program_dir(facts), QString::fromUtf8(row.expected)) << row.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsFolder,
    ::testing::Values(
        FolderRow{"station with settings", true, false, false, "", "/opt/station"},
        FolderRow{"writable station", false, false, true, "", "/opt/station"},
        FolderRow{"neither", false, false, false, "", "/home/op/.config/azelrot"},
        FolderRow{"neither, XDG set", false, false, false, "/x/cfg/", "/x/cfg/azelrot"},
        FolderRow{"neither, XDG relative", false, false, false, "cfg", "/home/op/.config/azelrot"},
        FolderRow{"installed, root may write", false, true, true, "", "/home/op/.config/azelrot"},
        FolderRow{"installed, XDG set", false, true, false, "/x/cfg", "/x/cfg/azelrot"},
        FolderRow{"installed beside settings", true, true, true, "/x/cfg", "/opt/station"}));

TEST(SettingsFolder, FindsSettingsAndTheMenuEntryOfAnInstalledCopy) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir top(root.path());
    ASSERT_TRUE(top.mkpath(QStringLiteral("usr/bin")));
    ASSERT_TRUE(top.mkpath(QStringLiteral("usr/share/applications")));
    ASSERT_TRUE(top.mkpath(QStringLiteral("station/bin")));
    const auto touch = [&](const QString& name) {
        QFile file(top.filePath(name));
        return file.open(QIODevice::WriteOnly);
    };
    ASSERT_TRUE(touch(QStringLiteral("usr/share/applications/azelrot.desktop")));
    ASSERT_TRUE(touch(QStringLiteral("station/azelrot.ini")));

    const auto installed = platform::program_dir_facts(top.filePath(QStringLiteral("usr/bin")));
    EXPECT_TRUE(installed.installed);
    EXPECT_FALSE(installed.holds_ini);
    const auto station = platform::program_dir_facts(top.filePath(QStringLiteral("station")));
    EXPECT_FALSE(station.installed);
    EXPECT_TRUE(station.holds_ini);
    // A bin folder without the menu entry beside it is an ordinary folder.
    EXPECT_FALSE(
        platform::program_dir_facts(top.filePath(QStringLiteral("station/bin"))).installed);
}

TEST(InstanceGuard, OneCopyPerFolderWhateverThePathOrEnvironmentUntilItDies) {
    QTemporaryDir root;
    const QString station = root.filePath(QStringLiteral("station"));
    ASSERT_TRUE(QDir().mkpath(station));
    ASSERT_TRUE(QFile::link(station, root.filePath(QStringLiteral("link"))));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME"})
            ::setenv(name, "/nonexistent/elsewhere", 1);
        platform::InstanceGuardLock guard(root.filePath(QStringLiteral("link")));
        const char held = guard.another_instance_running() ? 'n' : 'y';
        (void)!::write(ready[1], &held, 1);
        ::pause();
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    platform::InstanceGuardLock here(station + QStringLiteral("/../station/"));
    EXPECT_TRUE(here.another_instance_running());
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_FALSE(here.another_instance_running());
}

TEST(SettingsFolder, ThatCannotBeMadeSaysWhereAndWhy) {
    QTemporaryDir root;
    QFile in_the_way(QDir(root.path()).filePath(QStringLiteral("file")));
    ASSERT_TRUE(in_the_way.open(QIODevice::WriteOnly));
    const QString dir = root.filePath(QStringLiteral("file/a/azelrot"));
    const QString problem = platform::make_settings_dir(dir, QStringLiteral("XDG"));
    EXPECT_TRUE(problem.startsWith(QStringLiteral("設定フォルダー「%1」").arg(dir)));
    EXPECT_TRUE(problem.contains(u'「' + in_the_way.fileName() +
                                 QStringLiteral("」はフォルダーではありません。XDG")));
}

}  // namespace
