#pragma once

// In-memory platform services for tests: feed bytes in, read back what was written, inject
// failures, and let time pass without sleeping.

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "link/module1.h"
#include "platform/services.h"

class Form1;

namespace fake {

class SerialControl final : public platform::SerialControl {
  public:
    int comm_port = 0;
    QString device;
    QString settings;
    int handshaking = -1;
    int rthreshold = 0;
    int sthreshold = 0;
    bool open = false;
    bool fail_open = false;
    QByteArray written;                 // every byte sent, in order
    std::vector<int> output_sizes;      // size of each output call
    std::optional<int> fail_output_at;  // the byte, counting all sent, whose output fails
    QByteArray rx;                      // bytes waiting to be read
    int event = 0;
    std::function<void(QByteArray)> on_written;  // sees each output (a responder hook)

    // Queues bytes as received and raises the receive event.
    void feed(const QByteArray& bytes);
    // Raises an event with the given code.
    void raise(int code);

    void set_comm_port(int number) override { comm_port = number; }
    void set_device(const QString& d) override { device = d; }
    void set_settings(const QString& s) override { settings = s; }
    void set_handshaking(int mode) override { handshaking = mode; }
    void set_rthreshold(int bytes) override { rthreshold = bytes; }
    void set_sthreshold(int bytes) override { sthreshold = bytes; }
    void set_port_open(bool o) override;
    bool port_open() const override { return open; }
    void set_output(const QByteArray& bytes) override;
    int comm_event() const override { return event; }
    void set_input_len(int) override {}
    int in_buffer_count() override { return static_cast<int>(rx.size()); }
    QByteArray input() override;
    void set_on_comm(std::function<void()> handler) override { on_comm_ = std::move(handler); }

  private:
    std::function<void()> on_comm_;
    int bytes_out_ = 0;
};

class BoardControl final : public platform::BoardControl {
  public:
    QString addr = QStringLiteral("192.168.0.200");
    std::optional<int> setup;
    std::optional<int> speed;
    QByteArray sent;
    std::deque<QByteArray> chunks;    // each read returns the next one, then empty
    QByteArray flood;                 // when not empty: returned once chunks run out
    std::optional<int> fail_send_at;  // index of the send call that fails
    bool fail_address = false;
    bool fail_read = false;
    bool reachable = true;  // false: no connection can be made, and sends fail
    int reads = 0;
    std::function<void(QByteArray)> on_sent;  // sees each byte sent (a responder hook)

    void set_address(const QString& a) override;
    QString address() const override { return addr; }
    void set_setup(int v) override { setup = v; }
    void set_rs232c_speed(int b) override { speed = b; }
    void send(const QByteArray& one_char) override;
    QByteArray read() override;
    bool connected() const override { return reachable; }
    void connect_board() override;

  private:
    int sends_ = 0;
};

class Clock;

class DdeClient final : public platform::DdeClient {
  public:
    bool server_running = false;
    QMap<QString, QString> items;         // item name -> value
    std::optional<QString> failing_item;  // requests for this item fail
    QStringList calls;  // "setup Text1 ORBX|EXTRN TEXT1", "request Text1", "end Text1"
    // Each answer takes this long on `clock`; one a batch's budget cannot cover is not made.
    double answer_seconds = 0;
    Clock* clock = nullptr;

    void link_setup(const QString& box, const QString& topic, const QString& item) override;
    QString request(const QString& box) override;
    void end_link(const QString& box) override;
    void begin_batch(int budget_ms) override;
    void end_batch() override { --batch_depth_; }

  private:
    QMap<QString, QString> linked_;  // box -> item
    int batch_depth_ = 0;
    double batch_end_ = 0;
};

// Profile files kept in memory, with the same text handling as the real store.
class ProfileStore final : public platform::ProfileStore {
  public:
    QMap<QString, QByteArray> files;  // path -> content
    bool read_only = false;
    platform::ProfileRefusal refused = platform::ProfileRefusal::none;  // for every file
    QStringList writes;  // "SECTION/KEY=value" in call order

    QString get_private_profile_string(const QString& section, const QString& key,
                                       const QString& fallback, int size,
                                       const QString& file) override;
    bool write_private_profile_string(const QString& section, const QString& key,
                                      const QString& value, const QString& file) override;
    QList<QPair<QString, QString>> get_private_profile_section(const QString& section,
                                                               const QString& file) override;
    platform::ProfileRefusal refusal(const QString&) override { return refused; }
};

class Clock final : public platform::Clock {
  public:
    QDateTime now = QDateTime(QDate(2026, 12, 6), QTime(1, 50, 10));
    double mono = 1000.0;
    double slept = 0;                 // total time passed in sleep()
    double evented = 0;               // total time passed in run_events()
    std::function<void()> on_events;  // runs once per run_events() call (simulated events)

    QDateTime now_local() override { return now; }
    double monotonic_seconds() override { return mono; }
    void sleep(double seconds) override;
    void run_events(double seconds) override;
};

class MessageBox final : public platform::MessageBox {
  public:
    QStringList shown;
    int beeps = 0;
    std::function<void(const QString&)> on_show;  // runs while the "modal box" is open

    void show(const QString& text) override;
    void beep() override { ++beeps; }
};

class InstanceGuard final : public platform::InstanceGuard {
  public:
    bool other_running = false;
    bool another_instance_running() override { return other_running; }
};

class ProgramDir final : public platform::ProgramDir {
  public:
    ProgramDir();
    QString path() const override { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

class HelpViewer final : public platform::HelpViewer {
  public:
    QStringList quits;
    void quit(const QString& help_file) override { quits << help_file; }
};

class ProgramEnd final : public platform::ProgramEnd {
  public:
    int ends = 0;
    void end_program() override { ++ends; }
    bool ended() const override { return ends > 0; }
};

// A fresh world: fake services, the Services bundle and Module1.
struct World {
    SerialControl serial;
    BoardControl board;
    DdeClient dde;
    ProfileStore profile;
    Clock clock;
    MessageBox message_box;
    InstanceGuard instance_guard;
    ProgramDir program_dir;
    HelpViewer help_viewer;
    ProgramEnd program_end;
    platform::Services services{serial,      board,          dde,         profile,     clock,
                                message_box, instance_guard, program_dir, help_viewer, program_end};
    Module1 module{services};

    World() { dde.clock = &clock; }

    QString ini_path() const { return program_dir.file(QStringLiteral("azelrot.ini")); }
    // Stores a setting in the in-memory settings file.
    void set_ini(const QString& section, const QString& key, const QString& value);
    QString ini(const QString& section, const QString& key);
    // A main window on this world (not loaded, not shown).
    std::unique_ptr<Form1> make_form1();
    // A main window after its start-up sequence.
    std::unique_ptr<Form1> load_form1();
};

}  // namespace fake
