#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "support/sim_process.h"

// The benchmark's own tools: a figure is only worth printing when the tool measured what it
// says it measured. No timing is checked here, only that the measurement happened.

namespace {

QString tool(const char* variable) {
    return QProcessEnvironment::systemEnvironment().value(QString::fromLatin1(variable));
}

struct Outcome {
    int exit_code = -1;
    QMap<QString, QString> values;  // "key value" lines
    QString err;
};

Outcome run(const QString& program, const QStringList& args, int timeout_ms = 40000) {
    QProcess p;
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(timeout_ms)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exit_code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n')) {
        const qsizetype space = line.indexOf(u' ');
        if (space > 0) r.values.insert(line.left(space), line.mid(space + 1));
    }
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray read_all(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(TickBench, MeasuresEveryTickWithTheReplyItRead) {
    const QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("commands.log"));
    simtest::SimProcess sim(
        {QStringLiteral("--az-speed"), QStringLiteral("0.5"), QStringLiteral("--log"), log});
    ASSERT_TRUE(sim.ready());
    const QString station = dir.filePath(QStringLiteral("station"));
    ASSERT_TRUE(QDir().mkpath(station));

    const Outcome r =
        run(tool("AZELROT_TICK_BENCH"),
            {QStringLiteral("--device"), sim.pty(), QStringLiteral("--station"), station,
             QStringLiteral("--ticks"), QStringLiteral("3"), QStringLiteral("--warmup"),
             QStringLiteral("1"), QStringLiteral("--redraws"), QStringLiteral("1")});
    ASSERT_EQ(r.exit_code, 0) << r.err.toStdString();
    EXPECT_EQ(r.values.value(QStringLiteral("ticks")), QStringLiteral("3"));
    EXPECT_EQ(r.values.value(QStringLiteral("ticks_with_one_reply")), QStringLiteral("3"));
    EXPECT_EQ(r.values.value(QStringLiteral("manual_move_running")), QStringLiteral("1"));
    for (const char* key :
         {"qt_version", "tick_cpu_us_median", "thread_cpu_us_per_tick", "wait_cpu_us_mean",
          "redraw_cpu_us_median", "wait_busy_cpu_us_max", "bare_sleep_cpu_us_max"}) {
        EXPECT_TRUE(r.values.contains(QString::fromLatin1(key))) << key;
    }
    // The controller saw the manual move and the polls the ticks were measured on.
    const QByteArray commands = read_all(log);
    EXPECT_TRUE(commands.contains("\tW270 045")) << commands.toStdString();
    EXPECT_GE(commands.count("\tC2"), 4);  // the start-up poll and one a tick
}

TEST(TickBench, RefusesToMeasureWhenStartUpFails) {
    const QTemporaryDir dir;
    const Outcome r = run(
        tool("AZELROT_TICK_BENCH"),
        {QStringLiteral("--device"), dir.filePath(QStringLiteral("no-such-port")),
         QStringLiteral("--station"), dir.path(), QStringLiteral("--ticks"), QStringLiteral("1")});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("start-up failed"))) << r.err.toStdString();
    EXPECT_FALSE(r.values.contains(QStringLiteral("tick_cpu_us_median")));
}

struct ChildRow {
    const char* name;
    QStringList command;
    QByteArray input;
    QByteArray output;
    QString exit;
};

class ChildCpu : public ::testing::TestWithParam<ChildRow> {};

TEST_P(ChildCpu, RunsTheCommandOnTheGivenFilesAndReportsItsEnd) {
    const ChildRow& row = GetParam();
    const QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    const QString out = dir.filePath(QStringLiteral("out"));
    QFile f(in);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(row.input);
    f.close();

    QStringList args{in, out};
    args += row.command;
    const Outcome r = run(tool("AZELROT_CHILD_CPU"), args);
    ASSERT_EQ(r.exit_code, 0) << r.err.toStdString();
    EXPECT_EQ(r.values.value(QStringLiteral("exit")), row.exit) << row.name;
    EXPECT_EQ(read_all(out), row.output) << row.name;
    EXPECT_TRUE(r.values.contains(QStringLiteral("cpu_us"))) << row.name;
    EXPECT_TRUE(r.values.contains(QStringLiteral("wall_ms"))) << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChildCpu,
    ::testing::Values(
        ChildRow{"input reaches the command", {QStringLiteral("cat")}, "p\np\n", "p\np\n", "0"},
        ChildRow{"exit status passed on",
                 {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("exit 3")},
                 "",
                 "",
                 "3"},
        ChildRow{
            "a command that cannot start", {QStringLiteral("/nonexistent/rotctl")}, "", "", "127"}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(ChildCpuUsage, WithoutACommandItSaysHowToCallIt) {
    const Outcome r = run(tool("AZELROT_CHILD_CPU"), {QStringLiteral("in"), QStringLiteral("out")});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("usage"))) << r.err.toStdString();
}

}  // namespace
