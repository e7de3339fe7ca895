#include <fcntl.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <QTest>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "platform/clock_system.h"
#include "platform/control_error.h"
#include "platform/serial_control_qt.h"

namespace {

using platform::ControlError;
using platform::SerialControlQt;

// A pseudo-terminal pair: the control opens the slave, the test plays the line on the master.
class Pty {
  public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        slave_name_ = QString::fromLocal8Bit(::ptsname(master_));
        termios raw{};
        ::tcgetattr(master_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(master_, TCSANOW, &raw);
    }
    ~Pty() { close_master(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0 && !slave_name_.isEmpty(); }
    const QString& slave() const { return slave_name_; }
    int master() const { return master_; }

    void write(const QByteArray& bytes) const {
        ASSERT_EQ(::write(master_, bytes.constData(), bytes.size()), bytes.size());
    }

    // What reaches the master within the time given.
    QByteArray read(int want, int timeout_ms = 1000) const {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < want && timer.elapsed() < timeout_ms) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            char buffer[256];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, n);
        }
        return got;
    }

    void close_master() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

  private:
    int master_ = -1;
    QString slave_name_;
};

class SerialPty : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok()) << "no pseudo-terminal available";
        control.set_comm_port(1);
        control.set_device(pty.slave());
        control.set_settings(QStringLiteral("9600,n,8,1"));
        control.set_handshaking(0);
        control.set_rthreshold(1);
        control.set_sthreshold(1);
        control.set_on_comm([this] { events.push_back(control.comm_event()); });
    }

    void open() { ASSERT_NO_THROW(control.set_port_open(true)); }

    Pty pty;
    SerialControlQt control;
    std::vector<int> events;
};

TEST_F(SerialPty, OutputGoesOutInOrder) {
    open();
    EXPECT_TRUE(control.port_open());
    control.set_output("W1");
    control.set_output(QByteArray(1, '0'));
    control.set_output("0 045\r");
    EXPECT_EQ(pty.read(9), QByteArray("W100 045\r"));
}

TEST_F(SerialPty, EverythingReceivedIsTakenWithoutTheEventLoop) {
    open();
    pty.write("AZ=123 ");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    pty.write("EL=045\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    control.set_input_len(0);
    EXPECT_EQ(control.in_buffer_count(), 14);
    EXPECT_EQ(control.input(), QByteArray("AZ=123 EL=045\r"));
    EXPECT_EQ(control.in_buffer_count(), 0);
    EXPECT_TRUE(control.input().isEmpty());
}

TEST_F(SerialPty, LongBurstIsTakenWhole) {
    open();
    QByteArray burst;
    for (int i = 0; i < 300; ++i) burst += "AZ=123 EL=045\r";
    pty.write(burst);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(control.input(), burst);
}

TEST_F(SerialPty, InputLengthLimitsOneRead) {
    open();
    pty.write("ABCDEF");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    control.set_input_len(4);
    EXPECT_EQ(control.input(), QByteArray("ABCD"));
    control.set_input_len(0);
    EXPECT_EQ(control.input(), QByteArray("EF"));
}

TEST_F(SerialPty, ArrivalRaisesTheReceiveEventOnTheEventLoop) {
    open();
    pty.write("AZ=001 EL=002\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(events.empty());  // nothing happens outside the event loop
    ASSERT_TRUE(QTest::qWaitFor([this] { return !events.empty(); }, 2000));
    // A pty keeps no line-error counters, so reception is all there is.
    for (const int code : events) EXPECT_EQ(code, platform::comm_event::receive);
    EXPECT_EQ(control.input(), QByteArray("AZ=001 EL=002\r"));
}

// Bytes the event loop read come before those still in the device, and bytes a limited read
// leaves behind are announced like new ones.
TEST_F(SerialPty, ReadsKeepTheLineOrderAndTheRestIsAnnounced) {
    open();
    pty.write("AZ=1");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !events.empty(); }, 2000));
    pty.write("23 EL=045\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    control.set_input_len(6);
    EXPECT_EQ(control.input(), QByteArray("AZ=123"));
    events.clear();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !events.empty(); }, 2000));
    EXPECT_EQ(events.front(), platform::comm_event::receive);
    control.set_input_len(0);
    EXPECT_EQ(control.input(), QByteArray(" EL=045\r"));
}

TEST_F(SerialPty, NoReceiveEventBelowTheThreshold) {
    control.set_rthreshold(0);
    open();
    pty.write("X");
    QTest::qWait(200);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(control.input(), QByteArray("X"));
}

TEST_F(SerialPty, ReadingInsideTheHandlerRaisesNoSecondEvent) {
    control.set_on_comm([this] {
        events.push_back(control.comm_event());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.write("tail");  // arrives while the handler still runs
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        control.in_buffer_count();
        control.input();
    });
    open();
    pty.write("head");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !events.empty(); }, 2000));
    QTest::qWait(200);
    EXPECT_EQ(events.size(), 1U);
}

TEST_F(SerialPty, FailuresAreControlErrors) {
    EXPECT_THROW(control.set_output("x"), ControlError);  // not open yet
    EXPECT_THROW(control.in_buffer_count(), ControlError);
    EXPECT_THROW(control.input(), ControlError);
    EXPECT_THROW(control.set_settings(QStringLiteral("9600,n,8")), ControlError);
    EXPECT_THROW(control.set_handshaking(7), ControlError);
    open();
    EXPECT_THROW(control.set_port_open(true), ControlError);  // already open
    control.set_port_open(false);
    EXPECT_FALSE(control.port_open());
    EXPECT_NO_THROW(control.set_port_open(false));  // closing twice is harmless
    EXPECT_THROW(control.set_output("x"), ControlError);

    SerialControlQt missing;
    missing.set_device(QStringLiteral("/dev/azelrot-no-such-port"));
    EXPECT_THROW(missing.set_port_open(true), ControlError);
    SerialControlQt unnamed;
    EXPECT_THROW(unnamed.set_port_open(true), ControlError);
}

TEST_F(SerialPty, ReopensAfterClosing) {
    open();
    control.set_port_open(false);
    open();
    control.set_output("Z");
    EXPECT_EQ(pty.read(1), QByteArray("Z"));
}

TEST_F(SerialPty, VanishedLineRaisesTheUndefinedEventAndClosesThePort) {
    open();
    pty.close_master();
    ASSERT_TRUE(QTest::qWaitFor(
        [this] {
            return std::find(events.begin(), events.end(), platform::comm_event::undefined) !=
                   events.end();
        },
        2000));
    QTest::qWait(100);
    EXPECT_FALSE(control.port_open());
    EXPECT_EQ(std::count(events.begin(), events.end(), platform::comm_event::undefined), 1);
    EXPECT_THROW(control.set_output("x"), ControlError);
}

// The main window over a real pty: a poll goes out and its answer comes back through the
// receive event, with a responder on the master answering "C2" as the controller would.
TEST(SerialPtyRoundTrip, PollToParsedPosition) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    std::atomic<bool> stop{false};
    std::thread responder([&] {
        QByteArray seen;
        while (!stop) {
            pollfd p{pty.master(), POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            char buffer[64];
            const ssize_t n = ::read(pty.master(), buffer, sizeof buffer);
            if (n <= 0) continue;
            seen.append(buffer, n);
            if (seen.endsWith("C2\r")) {
                seen.clear();
                const QByteArray answer("AZ=123 EL=045\r");
                (void)!::write(pty.master(), answer.constData(), answer.size());
            }
        }
    });

    fake::World w;
    platform::SerialControlQt serial;
    platform::ClockSystem clock;
    platform::Services services{
        serial,        w.board,          w.dde,         w.profile,     clock,
        w.message_box, w.instance_guard, w.program_dir, w.help_viewer, w.program_end};
    Module1 module(services);
    module.picnic_mode = QStringLiteral("0");
    module.port_name = pty.slave();
    module.board_address = QStringLiteral("127.0.0.1");
    Form1 form(module, services);
    ASSERT_NO_THROW(form.open_transports());

    QElapsedTimer timer;
    timer.start();
    form.Command1_Click();
    const bool parsed = QTest::qWaitFor([&] { return form.state().antenna_azimuth == 123; }, 2000);
    const qint64 elapsed = timer.elapsed();
    stop = true;
    responder.join();

    ASSERT_TRUE(parsed);
    EXPECT_EQ(form.state().antenna_elevation, 45);
    EXPECT_EQ(form.Label16->text(), QStringLiteral("AZ=123 EL=045"));
    // The settle pause is 0.1 s; the rest is the pty and the event loop.
    EXPECT_GE(elapsed, 100);
    EXPECT_LT(elapsed, 1000);
    std::printf("poll round trip over a pty: %lld ms\n", static_cast<long long>(elapsed));
    form.close_port();
    EXPECT_FALSE(serial.port_open());
}

}  // namespace

namespace {

// A port that will not open is named with its device and why, and nothing claims it open.
TEST(SerialStartup, MissingPortIsNamedWithItsDeviceAndReason) {
    const QString device = QStringLiteral("/dev/azelrot-no-such-port");
    fake::World w;
    w.set_ini(QStringLiteral("GS232B"), QStringLiteral("PORT"), QStringLiteral("COM7"));
    w.set_ini(QStringLiteral("COMPORTS"), QStringLiteral("COM7"), device);
    platform::SerialControlQt serial;
    platform::Services services{
        serial,        w.board,          w.dde,         w.profile,     w.clock,
        w.message_box, w.instance_guard, w.program_dir, w.help_viewer, w.program_end};
    Module1 module(services);
    Form1 form(module, services);
    form.Form_Load();
    EXPECT_EQ(w.message_box.shown,
              QStringList{QStringLiteral("シリアルポート COM7（") + device +
                          QStringLiteral("）を開けません。デバイスが見つかりません。"
                                         "つながりしだい自動で開きます。")});
    EXPECT_EQ(form.Label15->text(), QStringLiteral("COM CLOSE"));
}

}  // namespace
