#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <thread>

#include "support/sim_process.h"

namespace {

using simtest::ask;
using simtest::Clock;
using simtest::SimProcess;
using simtest::Stream;
using namespace std::chrono_literals;
using namespace std::string_literals;

void write_control(const QString& fifo, const char* line) {
    QFile f(fifo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(line);
}

TEST(SimulatorPty, AnswersLikeTheControllerWithoutEcho) {
    SimProcess sim({"--instant", "--initial", "123,45"});
    ASSERT_TRUE(sim.ready());
    Stream port = Stream::open_device(sim.pty());
    ASSERT_TRUE(port.is_open());
    struct Row {
        const char* command;
        std::string reply;
    };
    const std::vector<Row> rows = {
        {"C2\r", "AZ=123  EL=045\r\n"},
        {"c\r", "AZ=123\r\n"},
        {"B\r\n", "EL=045\r\n"},
        {"\r", "?>\r"},
        {"HELLO\r", "?>\r"},
        {"W500 000\r", "?>\r"},
        {"w90 45\r", ""},
        {"C2\r", "AZ=090  EL=045\r\n"},
        {"P45\r", "mode 450 Degree\r\n"},
        {"O\r", "AZoffset are you sure?(Y/N)\r\n"},
        {"\r", "AZoffset\r\n"},
    };
    for (const Row& row : rows) {
        const std::string got =
            row.reply.empty() ? (port.send(row.command), port.read_for(150))
                              : ask(port, row.command, row.reply.substr(row.reply.size() - 1));
        EXPECT_EQ(got, row.reply) << row.command;
    }
}

TEST(SimulatorPty, RepliesArriveAtLineSpeed) {
    SimProcess sim({});
    ASSERT_TRUE(sim.ready());
    Stream port = Stream::open_device(sim.pty());
    std::vector<double> latencies;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        ASSERT_EQ(ask(port, "C2\r"), "AZ=000  EL=000\r\n");
        latencies.push_back(simtest::ms_since(start));
    }
    std::sort(latencies.begin(), latencies.end());
    // 16 bytes at 9600 baud take 16.7 ms on the wire.
    EXPECT_GE(latencies.front(), 13.0);
    EXPECT_LT(latencies[2], 200.0);
    std::printf("paced C2 reply over the pty: median %.1f ms\n", latencies[2]);
}

TEST(SimulatorPty, NoPacingAnswersAtOnce) {
    SimProcess sim({"--no-pacing"});
    ASSERT_TRUE(sim.ready());
    Stream port = Stream::open_device(sim.pty());
    std::vector<double> latencies;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        ASSERT_EQ(ask(port, "C2\r"), "AZ=000  EL=000\r\n");
        latencies.push_back(simtest::ms_since(start));
    }
    std::sort(latencies.begin(), latencies.end());
    EXPECT_LT(latencies[2], 10.0);
    std::printf("unpaced C2 reply over the pty: median %.2f ms\n", latencies[2]);
}

TEST(SimulatorPty, MoveProgressesAtTheSetSpeed) {
    SimProcess sim({"--az-speed", "40", "--el-speed", "20", "--no-pacing"});
    ASSERT_TRUE(sim.ready());
    Stream port = Stream::open_device(sim.pty());
    const auto sent = Clock::now();
    port.send("W180 090\r");
    std::this_thread::sleep_for(500ms);
    const double asked_ms = simtest::ms_since(sent);
    const std::string reply = ask(port, "C2\r");
    const double answered_ms = simtest::ms_since(sent);
    int az = -1;
    int el = -1;
    ASSERT_EQ(std::sscanf(reply.c_str(), "AZ=%d  EL=%d", &az, &el), 2) << reply;
    // The move started somewhere between sending W and asking; whole degrees round by 1.
    EXPECT_GE(az, int(40 * asked_ms / 1000 - 1) - 1);
    EXPECT_LE(az, int(40 * answered_ms / 1000 + 1));
    EXPECT_GE(el, int(20 * asked_ms / 1000 - 1) - 1);
    EXPECT_LE(el, int(20 * answered_ms / 1000 + 1));
    EXPECT_LT(az, 180);
}

TEST(SimulatorPty, LogsEveryCommandWithTimeAndTransport) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("commands.log"));
    SimProcess sim({"--log", log, "--no-pacing"});
    ASSERT_TRUE(sim.ready());
    Stream port = Stream::open_device(sim.pty());
    ask(port, "C2\r");
    port.send("w90 45\r\r\x01\xFFz\r");
    ask(port, "B\r");
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const QStringList commands = {"C2", "w90 45", "", "\\x01\\xFFz", "B"};
    ASSERT_EQ(lines.size(), commands.size()) << file.fileName().toStdString();
    const QRegularExpression shape(QStringLiteral("^(\\d+\\.\\d{3})\\tpty\\t(.*)$"));
    double previous = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const auto match = shape.match(lines[i]);
        ASSERT_TRUE(match.hasMatch()) << lines[i].toStdString();
        EXPECT_EQ(match.captured(2), commands[i]);
        EXPECT_GE(match.captured(1).toDouble(), previous);
        previous = match.captured(1).toDouble();
    }
}

TEST(SimulatorPty, SplitReplyComesInTwoParts) {
    SimProcess sim({"--no-pacing", "--split-reply", "300"});
    ASSERT_TRUE(sim.ready());
    Stream port = Stream::open_device(sim.pty());
    port.send("C2\r");
    const auto arrivals = port.read_timed(16, 3000);
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_EQ(arrivals[0].bytes, "AZ=000  ");
    EXPECT_EQ(arrivals[1].bytes, "EL=000\r\n");
    EXPECT_GE(arrivals[1].ms - arrivals[0].ms, 250.0);
}

TEST(SimulatorPty, MuteAnswersNothingButStillActsAndControlUnmutes) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("control"));
    SimProcess sim({"--mute", "--instant", "--no-pacing", "--control", fifo});
    ASSERT_TRUE(sim.ready());
    Stream port = Stream::open_device(sim.pty());
    port.send("W090 045\rC2\r\r");
    EXPECT_EQ(port.read_for(300), "");
    write_control(fifo, "mute off\n");
    EXPECT_EQ(ask(port, "C2\r"), "AZ=090  EL=045\r\n");
    write_control(fifo, "split-reply 200\nposition 10,20\n");
    const auto arrivals = (port.send("C2\r"), port.read_timed(16, 3000));
    ASSERT_EQ(arrivals.size(), 2u);
    EXPECT_EQ(arrivals[0].bytes + arrivals[1].bytes, "AZ=010  EL=020\r\n");
}

TEST(SimulatorPty, GarbageReplacesReplies) {
    SimProcess sim({"--garbage", "--no-pacing"});
    ASSERT_TRUE(sim.ready());
    Stream port = Stream::open_device(sim.pty());
    port.send("C2\r");
    const std::string noise = port.read_for(300);
    EXPECT_EQ(noise.size(), 16u);
    EXPECT_NE(noise.find('\0'), std::string::npos);
    EXPECT_NE(noise.find('\xFF'), std::string::npos);
    EXPECT_EQ(noise.find("AZ="), std::string::npos);
}

TEST(SimulatorPty, ReopenedDeviceHoldsNoStaleReplies) {
    // Unread replies, and the half of a split reply still on its way at close.
    const std::vector<QStringList> rows = {{"--no-pacing"}, {"--split-reply", "300"}};
    for (const QStringList& args : rows) {
        SCOPED_TRACE(args.join(' ').toStdString());
        SimProcess sim(args);
        ASSERT_TRUE(sim.ready());
        {
            Stream first = Stream::open_device(sim.pty());
            first.send("C2\rC2\r");
            std::this_thread::sleep_for(100ms);
        }
        // As a restarted program would: a moment passes between close and open.
        std::this_thread::sleep_for(50ms);
        Stream second = Stream::open_device(sim.pty());
        ASSERT_TRUE(second.is_open());
        EXPECT_EQ(ask(second, "B\r"), "EL=000\r\n");
        EXPECT_EQ(second.read_for(400), "");
    }
}

TEST(SimulatorPty, LinkFollowsThePtyAndGoesAtTerm) {
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("gs232b"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/pts/99"), link));
    SimProcess sim({"--link", link, "--instant"});
    ASSERT_TRUE(sim.ready());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.pty());
    Stream port = Stream::open_device(link);
    EXPECT_EQ(ask(port, "C\r"), "AZ=000\r\n");
    port.close();
    EXPECT_EQ(sim.terminate(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(SimulatorPty, RefusesToReplaceARealFileWithItsLink) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("precious"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    const auto result = simtest::run_to_end({"--link", path});
    EXPECT_EQ(result.exit_code, 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");
}

TEST(SimulatorPty, HelpAndBadArguments) {
    const auto help = simtest::run_to_end({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_TRUE(help.out.contains("--drop-tcp-after"));
    const auto bad = simtest::run_to_end({"--tcp", "nope"});
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_TRUE(bad.err.contains("--tcp"));
}

}  // namespace
