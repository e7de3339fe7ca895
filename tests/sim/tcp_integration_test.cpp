#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QFile>
#include <QTemporaryDir>
#include <thread>

#include "support/sim_process.h"

namespace {

using simtest::ask;
using simtest::SimProcess;
using simtest::Stream;
using namespace std::chrono_literals;

// The local address of every listening socket on the port, as /proc shows it (hex).
QStringList listeners_on(int port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return {};
    const QString wanted = QStringLiteral(":%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    QStringList found;
    for (const QByteArray& raw : table.readAll().split('\n')) {
        const QStringList f = QString::fromLatin1(raw).simplified().split(' ');
        if (f.size() > 3 && f[1].endsWith(wanted) && f[3] == QLatin1String("0A"))
            found << f[1].left(8);
    }
    return found;
}

TEST(SimulatorTcp, ListensOnLoopbackOnly) {
    SimProcess sim({"--tcp", "0"});
    ASSERT_TRUE(sim.ready());
    ASSERT_GT(sim.tcp_port(), 0);
    EXPECT_EQ(listeners_on(sim.tcp_port()), QStringList{QStringLiteral("0100007F")});
}

TEST(SimulatorTcp, SameControllerOnBothTransports) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("commands.log"));
    SimProcess sim({"--tcp", "0", "--instant", "--log", log});
    ASSERT_TRUE(sim.ready());
    Stream net = Stream::connect_local(sim.tcp_port());
    ASSERT_TRUE(net.is_open());
    Stream port = Stream::open_device(sim.pty());
    struct Row {
        const char* command;
        const char* reply;
    };
    const std::vector<Row> rows = {{"C2\r", "AZ=000  EL=000\r\n"},
                                   {"\r", "?>\r"},
                                   {"W400 000\r", "?>\r"},
                                   {"P45\r", "mode 450 Degree\r\n"},
                                   {"O2\r", "ELoffset are you sure?(Y/N)\r\n"},
                                   {"Y\r", "ELoffset Completed.\r\n"}};
    for (const Row& row : rows) {
        const std::string end(1, std::string(row.reply).back());
        EXPECT_EQ(ask(net, row.command, end), row.reply) << row.command;
    }
    // A move ordered over the network shows on the serial side: one antenna.
    net.send("W400 090\r");
    EXPECT_EQ(net.read_for(150), "");
    EXPECT_EQ(ask(port, "C2\r"), "AZ=400  EL=090\r\n");

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 8);
    EXPECT_TRUE(lines[0].endsWith("\ttcp\tC2")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("\ttcp\t")) << lines[1].toStdString();
    EXPECT_TRUE(lines[7].endsWith("\tpty\tC2")) << lines[7].toStdString();
}

TEST(SimulatorTcp, DropsTheConnectionAfterNCommands) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("control"));
    SimProcess sim({"--tcp", "0", "--drop-tcp-after", "2", "--control", fifo});
    ASSERT_TRUE(sim.ready());
    for (int round = 0; round < 2; ++round) {
        Stream net = Stream::connect_local(sim.tcp_port());
        ASSERT_TRUE(net.is_open());
        EXPECT_EQ(ask(net, "C2\r"), "AZ=000  EL=000\r\n");
        // The second reply still arrives whole before the connection goes.
        EXPECT_EQ(ask(net, "B\r"), "EL=000\r\n");
        EXPECT_TRUE(net.sees_close(2000)) << "round " << round;
    }
    {
        QFile control(fifo);
        ASSERT_TRUE(control.open(QIODevice::WriteOnly));
        control.write("drop-tcp-after 0\n");
    }
    std::this_thread::sleep_for(100ms);
    Stream net = Stream::connect_local(sim.tcp_port());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ask(net, "B\r"), "EL=000\r\n");
    EXPECT_FALSE(net.sees_close(200));
    Stream port = Stream::open_device(sim.pty());
    EXPECT_EQ(ask(port, "C\r"), "AZ=000\r\n");
}

TEST(SimulatorTcp, NewClientReplacesTheOldOne) {
    SimProcess sim({"--tcp", "0"});
    ASSERT_TRUE(sim.ready());
    Stream first = Stream::connect_local(sim.tcp_port());
    EXPECT_EQ(ask(first, "C\r"), "AZ=000\r\n");
    Stream second = Stream::connect_local(sim.tcp_port());
    EXPECT_TRUE(first.sees_close(2000));
    EXPECT_EQ(ask(second, "C\r"), "AZ=000\r\n");
}

TEST(SimulatorTcp, VanishedClientsNeverStopTheSimulator) {
    SimProcess sim({"--tcp", "0", "--split-reply", "200"});
    ASSERT_TRUE(sim.ready());
    for (int i = 0; i < 3; ++i) {
        Stream gone = Stream::connect_local(sim.tcp_port());
        gone.send("C2\rC2\rC2\r");
        std::this_thread::sleep_for(30ms);  // leave mid-reply
    }
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(sim.process().state(), QProcess::Running);
    Stream net = Stream::connect_local(sim.tcp_port());
    EXPECT_EQ(ask(net, "C2\r"), "AZ=000  EL=000\r\n");
}

TEST(SimulatorTcp, BusyPortIsReportedNotIgnored) {
    SimProcess first({"--tcp", "0"});
    ASSERT_TRUE(first.ready());
    const auto second = simtest::run_to_end({"--tcp", QString::number(first.tcp_port())});
    EXPECT_EQ(second.exit_code, 1);
    EXPECT_TRUE(second.err.contains("127.0.0.1")) << second.err.toStdString();
}

}  // namespace
