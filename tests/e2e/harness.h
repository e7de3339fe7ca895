#pragma once

// Drives the real program in its own X server: a station folder with its settings, the
// controller simulator on a pseudo-terminal or on TCP 127.0.0.1, optionally the tracking-program
// simulator on a private session bus, and xdotool for the mouse and the keyboard.

#include <QColor>
#include <QDir>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/child.h"
#include "support/sim_process.h"
#include "support/tools.h"
#include "support/xvfb.h"

namespace e2e {

using WindowId = qulonglong;

// Waits until `done` holds, checking every 50 ms; false when `ms` pass first.
bool eventually(const std::function<bool()>& done, int ms);
void pause_ms(int ms);

// What a run needs besides the built programs; a missing one skips or fails the test by the
// common rule.
QStringList needed_tools(bool needs_bus);
#define E2E_NEED_TOOLS(needs_bus) NEED_TOOLS(::e2e::needed_tools(needs_bus))

#define E2E_READY(rig) ASSERT_TRUE((rig).problem().isEmpty()) << (rig).problem().toStdString()

using support::Child;
using support::XServer;

// A private session bus.
class SessionBus {
  public:
    SessionBus();
    bool ok() const { return !address_.isEmpty(); }
    const QString& address() const { return address_; }

  private:
    Child daemon_;
    QString address_;
};

// xdotool on one display.
class Desktop {
  public:
    explicit Desktop(QString display) : display_(std::move(display)) {}

    // xdotool's standard output, or nothing when it failed or hung.
    std::optional<QString> xdo(const QStringList& args, int ms = 5000) const;
    // Visible windows whose name matches the pattern; of one process when pid is not 0.
    std::vector<WindowId> windows(const QString& name_pattern, qint64 pid = 0) const;
    std::optional<WindowId> wait_window(const QString& name_pattern, qint64 pid, int ms) const;
    // True once the window is gone or hidden.
    bool wait_gone(WindowId window, int ms) const;
    std::optional<QRect> geometry(WindowId window) const;
    // Clicks, then parks the pointer in the screen's empty corner so no tool tip opens.
    bool click(QPoint at) const;
    bool key(const QStringList& keys) const;
    bool type(const QString& text) const;
    // Gives the window the keyboard and waits until it has it.
    bool focus(WindowId window) const;
    bool move(WindowId window, QPoint to) const;
    // The colour on the screen at this point.
    std::optional<QColor> pixel(QPoint at) const;

  private:
    QString display_;
};

// Message boxes carry the program's name as their title; open menus have no title.
QString box_pattern();
QString menu_pattern();
// Waits for a message box of the process and presses Return in it.
bool dismiss_box(const Desktop& desktop, qint64 pid, int ms = 5000);

// Designed places of the settings dialog, in twips (15 twips = 1 pixel).
struct Twips {
    int left, top, width, height;
};

// A control of the main window by its design name. Where it is comes from the program itself
// (`azelrot --print-layout`), in pixels of the client area.
struct Control {
    const char* name;
};

// The client area's size and a control's place, as the program prints them; nothing when the
// program did not print them.
std::optional<QRect> client_area();
std::optional<QRect> place_of(const Control& control);

namespace design {
inline constexpr Control Picture1{"Picture1"};
// The lamp of the tracking-program link.
inline constexpr Control link_lamp{"Label1(0)"};
constexpr int picture_border = 30;  // twips
inline constexpr Control Command2{"Command2"};
inline constexpr Control Command3{"Command3"};
inline constexpr Control Command4{"Command4"};
inline constexpr Control Option1{"Option1"};
inline constexpr Control Option2{"Option2"};
// The settings dialog (no menu bar); Check1 lies in Frame6 (180, 930).
constexpr Twips form2_Text1{4800, 210, 645, 285};
constexpr Twips form2_Check1{180 + 330, 930 + 300, 2505, 345};
constexpr Twips form2_Command1{4980, 7200, 1005, 330};
}  // namespace design

constexpr const char* main_title = "ＡＺＥＬＲＯＴ　v2.00";
constexpr const char* settings_title = "ＡＺＥＬＲＯＴ設定";

// Where things are on the screen, from the window's geometry read afresh each time: the client
// area is the window's bottom part below the menu bar.
class MainWindow {
  public:
    MainWindow(const Desktop& desktop, WindowId id, qint64 pid)
        : desktop_(desktop), id_(id), pid_(pid) {}
    WindowId id() const { return id_; }
    std::optional<QPoint> client_origin() const;
    bool click(const Control& control) const;
    // The control's background colour, read off the screen.
    std::optional<QColor> colour(const Control& control) const;
    // Waits until the control shows this colour, each channel within `tolerance` (a style
    // shades a button's face: a green face is a gradient around the colour set).
    bool shows(const Control& control, const QColor& expected, int tolerance = 8,
               int ms = 3000) const;
    // A click on the radar, `dx` and `dy` pixels right of and below its centre.
    bool click_radar(int dx, int dy) const;
    // The first menu of the bar opened, then the keys, each waiting for the menu to follow.
    bool menu(const QStringList& keys, int popups_after_last) const;
    bool open_settings() const;
    bool debug(bool on) const;

  private:
    bool wait_popups(int count) const;

    const Desktop& desktop_;
    WindowId id_;
    qint64 pid_;
};

using simtest::Received;

enum class Transport { serial, board };

struct RigOptions {
    Transport transport = Transport::serial;
    QStringList sim_args = {};   // further simulator switches
    bool orbx = false;           // link on, with a private bus and the tracking simulator
    QStringList orbx_args = {};  // its switches
    QString ini_extra = {};      // more lines for azelrot.ini
    QString timer = QStringLiteral("1");
    bool as_other_user = false;  // where file permissions bind, even for root
    // The station folder and its settings file read-only to the program (implies the above).
    bool read_only_station = false;
};

// Everything one run needs. start_program() gives the program its window and checks its
// start-up burst.
class Rig {
  public:
    explicit Rig(RigOptions options);
    ~Rig();
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    // Empty when the rig is complete; else why not.
    const QString& problem() const { return problem_; }

    bool start_program();
    // Another copy of the same program file (for the second-copy check).
    std::unique_ptr<Child> start_second_copy();

    Desktop& desktop() { return desktop_; }
    MainWindow& window() { return *window_; }
    Child& program() { return *program_; }
    qint64 pid() const;
    simtest::SimProcess& sim() { return *sim_; }
    const RigOptions& options() const { return options_; }

    // What the program wrote on its standard output and error.
    QString program_output() const;

    QString station_file(const QString& name) const;
    QString ini_path() const { return station_file(QStringLiteral("azelrot.ini")); }
    QString read_ini() const;
    void write_ini(const QString& text) const;

    // The commands the controller simulator received so far.
    std::vector<Received> received() const;
    std::vector<std::string> commands() const;
    // Waits for a command with this text after the first `from` commands; its index or -1.
    int wait_command(const std::string& text, std::size_t from, int ms) const;
    // Waits until no command comes for `quiet_ms`; false when commands keep coming for `ms`.
    bool wait_quiet(int quiet_ms, int ms) const;
    // Writes one line to the simulator's control pipe.
    bool control(const QString& line) const;

    // Starts the controller simulator anew (after kill_sim), on the same TCP port.
    bool restart_sim(const QStringList& extra_args);
    void kill_sim();
    bool start_orbx(const QStringList& args);
    void kill_orbx();

    // Ends the program through its exit button; its exit code or nothing when it hung.
    std::optional<int> exit_by_button(int ms);
    std::optional<int> wait_program_end(int ms);

  private:
    QStringList sim_switches(const QStringList& extra) const;
    QString ini_text() const;
    QProcessEnvironment program_environment() const;
    // Starts the station's program, its output into the rig's file `output`.
    void start_as(Child& child, const QString& output) const;
    void make_station_other_users_may_use();
    void print_record() const;

    RigOptions options_;
    QString problem_;
    QTemporaryDir root_{QDir::tempPath() + QStringLiteral("/azelrot-e2e-XXXXXX")};
    XServer x_;
    Desktop desktop_;
    std::unique_ptr<SessionBus> bus_;
    std::unique_ptr<Child> orbx_;
    std::unique_ptr<simtest::SimProcess> sim_;
    int tcp_port_ = 0;
    int sim_generation_ = 1;
    std::unique_ptr<Child> program_;
    std::unique_ptr<MainWindow> window_;
};

// A value of a profile file's text, read the plain way: "[SECTION]" then "KEY=value".
std::optional<QString> ini_value(const QString& text, const QString& section, const QString& key);

// Lines of Qt's warnings about its objects being misused (a device read while closed, a
// signal of a deleted object...): each one a fault of the program.
QStringList misuse_warnings(const QString& output);

// Counts commands with this text.
std::size_t count_of(const std::vector<std::string>& commands, const std::string& text);

}  // namespace e2e
