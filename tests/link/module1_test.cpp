#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QFile>
#include <stdexcept>

#include "fakes/fake_services.h"
#include "platform/clock_system.h"

namespace {

QByteArray log_of(fake::World& w) {
    QFile f(w.program_dir.file(QStringLiteral("azelrot.log")));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QByteArray stamp = QStringLiteral("26年12月06日　01時50分10秒  ").toUtf8();

struct SendRow {
    const char* command;
    QByteArray bytes;
};

class PutDataSerial : public ::testing::TestWithParam<SendRow> {};

TEST_P(PutDataSerial, OneOutputPerCommand) {
    const auto& row = GetParam();
    fake::World w;
    w.module.picnic_mode = QStringLiteral("0");
    w.serial.open = true;
    w.module.put_data(QString::fromLatin1(row.command));
    EXPECT_EQ(w.serial.written, row.bytes) << row.command;
    EXPECT_EQ(w.serial.output_sizes,
              row.bytes.isEmpty() ? std::vector<int>() : std::vector<int>{int(row.bytes.size())});
    EXPECT_TRUE(w.board.sent.isEmpty());
    EXPECT_EQ(w.clock.slept, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Table, PutDataSerial,
                         ::testing::Values(SendRow{"43320D", QByteArray("C2\r")},
                                           SendRow{"43320", QByteArray("C2")},  // odd end ignored
                                           SendRow{"0D", QByteArray("\r")},
                                           SendRow{"4", QByteArray()}, SendRow{"", QByteArray()},
                                           SendRow{"57303930203034350D",
                                                   QByteArray("W090 045\r")}));

TEST(PutData, LogsTheCommandWhenDebugIsOn) {
    fake::World w;
    w.module.debug_flag = QStringLiteral("1");
    w.serial.open = true;
    w.module.put_data(QStringLiteral("43320D"));
    EXPECT_EQ(log_of(w), stamp + "put_data : 43320D\r\n");
}

TEST(PutData, BoardModeSendsEachByteThenWaitsWithoutEvents) {
    fake::World w;
    w.module.picnic_mode = QStringLiteral("1");
    int events = 0;
    w.clock.on_events = [&] { ++events; };
    w.module.put_data(QStringLiteral("43320D"));
    EXPECT_EQ(w.board.sent, QByteArray("C2\r"));
    EXPECT_TRUE(w.serial.written.isEmpty());
    EXPECT_GE(w.clock.slept, 0.3 - 1e-6);
    EXPECT_LT(w.clock.slept, 0.35);
    EXPECT_EQ(w.clock.evented, 0.0);
    EXPECT_EQ(events, 0);
}

TEST(PutData, EmptyCommandSendsNothingAndDoesNotWaitEvenOnTheBoard) {
    for (const char* command : {"", "4"}) {
        fake::World w;
        w.module.picnic_mode = QStringLiteral("1");
        w.module.put_data(QString::fromLatin1(command));
        EXPECT_TRUE(w.board.sent.isEmpty());
        EXPECT_EQ(w.clock.slept, 0.0) << command;
    }
}

TEST(PutData, OddPicnicModeStillGoesToTheSerialControl) {
    fake::World w;
    w.module.picnic_mode = QStringLiteral("2");
    w.serial.open = true;
    w.module.put_data(QStringLiteral("530D"));
    EXPECT_EQ(w.serial.written, QByteArray("S\r"));
    EXPECT_TRUE(w.board.sent.isEmpty());
    EXPECT_EQ(w.clock.slept, 0.0);
}

struct FailRow {
    const char* picnic_mode;
    std::optional<int> fail_at;  // nothing: the serial port is closed
    const char* log;
    QByteArray sent;
};

class PutDataFailure : public ::testing::TestWithParam<FailRow> {};

TEST_P(PutDataFailure, LogsTheFailingIndexAndReturns) {
    const auto& row = GetParam();
    fake::World w;
    w.module.debug_flag = QStringLiteral("1");
    w.module.picnic_mode = QString::fromLatin1(row.picnic_mode);
    w.serial.open = row.fail_at.has_value();
    w.serial.fail_output_at = row.fail_at;
    w.board.fail_send_at = row.fail_at;
    EXPECT_NO_THROW(w.module.put_data(QStringLiteral("43320D")));
    EXPECT_EQ(log_of(w), stamp + "put_data : 43320D\r\n" + stamp + row.log + "\r\n");
    EXPECT_EQ(w.serial.written + w.board.sent, row.sent);
    EXPECT_EQ(w.clock.slept, 0.0) << "no pause after a failed board send";
}

INSTANTIATE_TEST_SUITE_P(
    Table, PutDataFailure,
    ::testing::Values(FailRow{"0", std::nullopt, "put_data err : 43320D 0", QByteArray()},
                      FailRow{"0", 1, "put_data err : 43320D 1", QByteArray("C")},
                      FailRow{"1", 2, "put_data err : 43320D 2", QByteArray("C2")},
                      FailRow{"1", 0, "put_data err : 43320D 0", QByteArray()}));

// A board whose driver fails with something other than a control refusal.
class BrokenBoard final : public platform::BoardControl {
  public:
    void set_address(const QString&) override {}
    QString address() const override { return {}; }
    void set_setup(int) override {}
    void set_rs232c_speed(int) override {}
    void send(const QByteArray&) override { throw std::runtime_error("driver gone"); }
    QByteArray read() override { return {}; }
};

TEST(PutData, AnyFailureIsLoggedNotPassedOn) {
    fake::World w;
    BrokenBoard board;
    platform::Services services{
        w.serial,         board,         w.dde,         w.profile,    w.clock, w.message_box,
        w.instance_guard, w.program_dir, w.help_viewer, w.program_end};
    Module1 module(services);
    module.debug_flag = QStringLiteral("1");
    module.picnic_mode = QStringLiteral("1");
    EXPECT_NO_THROW(module.put_data(QStringLiteral("530D")));
    EXPECT_TRUE(log_of(w).endsWith("put_data err : 530D 0\r\n"));
}

TEST(WriteLog, NothingOnDiskWhileDebugIsOff) {
    fake::World w;
    ASSERT_EQ(w.module.debug_flag, QStringLiteral("0"));
    w.serial.open = true;
    for (int i = 0; i < 5; ++i) w.module.put_data(QStringLiteral("43320D"));
    w.module.write_log(QStringLiteral("receive_proc : x"));
    EXPECT_FALSE(QFile::exists(w.program_dir.file(QStringLiteral("azelrot.log"))));
}

TEST(Waits, BusyWaitPassesFakeTimeWithoutEvents) {
    fake::World w;
    int events = 0;
    w.clock.on_events = [&] { ++events; };
    const double start = w.clock.mono;
    w.module.wait_busy(0.3F);
    EXPECT_GT(w.clock.mono, start + 0.3 - 1e-6);
    EXPECT_LT(w.clock.mono, start + 0.35);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(w.clock.evented, 0.0);
}

TEST(Waits, WaitWithEventsLetsEventsRun) {
    fake::World w;
    int events = 0;
    w.clock.on_events = [&] { ++events; };
    const double start = w.clock.mono;
    w.module.wait_with_events(2.0F);
    EXPECT_GT(w.clock.mono, start + 2.0 - 1e-6);
    EXPECT_LT(w.clock.mono, start + 2.05);
    EXPECT_GE(events, 1);
    EXPECT_EQ(w.clock.slept, 0.0);
}

TEST(Waits, ZeroWaitReturnsAtOnce) {
    fake::World w;
    const double start = w.clock.mono;
    w.module.wait_busy(0.0F);
    w.module.wait_with_events(0.0F);
    EXPECT_LT(w.clock.mono, start + 0.01);
}

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(Waits, RealBusyWaitSleepsInsteadOfSpinning) {
    fake::World w;
    platform::ClockSystem clock;
    platform::Services services{
        w.serial,      w.board,          w.dde,         w.profile,     clock,
        w.message_box, w.instance_guard, w.program_dir, w.help_viewer, w.program_end};
    Module1 module(services);
    QElapsedTimer wall;
    const double cpu_before = cpu_seconds();
    wall.start();
    module.wait_busy(0.3F);
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpu_seconds() - cpu_before;
    EXPECT_GE(elapsed, 0.3);
    EXPECT_LT(cpu, 0.05);
}

}  // namespace
