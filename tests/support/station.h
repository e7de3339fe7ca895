#pragma once

// A station as an operator sets one up: the real main window with the real serial port,
// network board, tracking link, clock and settings file in a folder of its own, talking to
// the bundled simulators. Only the message boxes, the single-instance guard, the help viewer
// and the program's end are fakes, so nothing blocks and nothing ends the test run.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "fakes/fake_services.h"
#include "link/module1.h"
#include "main_window/form1.h"
#include "platform/board_control_tcp.h"
#include "platform/clock_system.h"
#include "platform/dde_client_dbus.h"
#include "platform/profile_store_file.h"
#include "platform/serial_control_qt.h"
#include "support/child.h"
#include "support/sim_process.h"
#include "support/tracking.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace integ {

// How the program reaches the controller.
enum class Transport {
    pty,         // serial port: the simulator's pty typed in as the port name
    pty_mapped,  // serial port "COM7", mapped to the simulator's link in [COMPORTS]
    tcp,         // network board: the simulator's own TCP server
    ser2net,     // network board: ser2net bridging a TCP port to the simulator's pty
};
const char* name_of(Transport t);
bool is_board(Transport t);

// The controller simulator with a command log and a control pipe in a folder of its own.
class Controller {
  public:
    // tcp_port 0: a free port, printed by the simulator.
    explicit Controller(const QStringList& extra_args = {}, int tcp_port = 0);
    ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    bool ready() const { return sim_->ready(); }
    QString pty() const { return sim_->pty(); }
    QString link() const { return link_; }
    int tcp_port() const { return sim_->tcp_port(); }
    // Every command received so far without its CR ("C2"; "" for a CR alone), oldest first.
    QStringList commands() const { return simtest::logged_commands(log_); }
    // One line to the control pipe ("drop-tcp-after 1").
    bool control(const QString& line) const { return simtest::control(fifo_, line); }
    // Stops the simulator (SIGTERM) as a board that is switched off.
    void stop() { sim_->terminate(); }
    // Waits until the log holds more than `count` commands.
    bool wait_for_commands(qsizetype count, int ms) const;

  private:
    QTemporaryDir dir_;
    QString log_;
    QString fifo_;
    QString link_;
    std::unique_ptr<simtest::SimProcess> sim_;
};

// ser2net in raw mode bridging 127.0.0.1:port to a serial device, as an operator puts a
// rotator on the network. Not ready when ser2net is missing or did not start listening.
class Ser2net {
  public:
    explicit Ser2net(const QString& device);
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    bool ready() const { return ready_; }
    int port() const { return port_; }

  private:
    QTemporaryDir dir_;
    support::Child child_;
    int port_ = 0;
    bool ready_ = false;
};

using support::TrackingProgram;

// A network board control that refuses any address outside 127.0.0.0/8 and fails the test
// that tried: tests must never reach a real board.
class LoopbackBoard final : public platform::BoardControl {
  public:
    explicit LoopbackBoard(std::function<quint16()> tcp_port) : real_(std::move(tcp_port)) {}
    void set_address(const QString& address) override { real_.set_address(address); }
    QString address() const override { return real_.address(); }
    void set_setup(int value) override { real_.set_setup(value); }
    void set_rs232c_speed(int baud) override { real_.set_rs232c_speed(baud); }
    void send(const QByteArray& one_char) override;
    QByteArray read() override { return real_.read(); }
    bool connected() const override { return real_.connected(); }
    void connect_board() override;

  private:
    platform::BoardControlTcp real_;
};

struct StationSettings {
    Transport transport = Transport::pty;
    QString orbx = QStringLiteral("0");
    QString timer = QStringLiteral("0");  // the tests drive the cycle themselves
    QString houi = QStringLiteral("0");
    QString sat = QStringLiteral("0");
};

class Station {
  public:
    Station();
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // Writes "azelrot.ini" for reaching `controller` (or ser2net's port) the given way.
    void write_settings(const StationSettings& s, const Controller& controller,
                        std::optional<int> board_port = std::nullopt);
    // Creates the main window, runs its start-up and turns ＤＥＢＵＧ ＯＮ.
    Form1& start();
    Form1& form() { return *form_; }
    Module1& module() { return module_; }
    QString folder() const { return program_dir_.path(); }
    QString log_text() const;

    // One poll through the main window's button; true once its answer is parsed.
    bool poll(int ms = 3000);

    fake::ProgramDir program_dir_;
    platform::ProfileStoreFile profile;
    platform::SerialControlQt serial;
    LoopbackBoard board;
    platform::DdeClientDbus dde;
    platform::ClockSystem clock;
    fake::MessageBox message_box;
    fake::InstanceGuard instance_guard;
    fake::HelpViewer help_viewer;
    fake::ProgramEnd program_end;

  private:
    platform::Services services_;
    Module1 module_;
    std::unique_ptr<Form1> form_;
};

}  // namespace integ
