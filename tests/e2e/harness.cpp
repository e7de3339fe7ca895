#include "e2e/harness.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <cstdio>
#include <map>
#include <thread>

namespace e2e {

namespace {

using SteadyClock = std::chrono::steady_clock;

QString env(const char* name) {
    return QProcessEnvironment::systemEnvironment().value(QString::fromLatin1(name));
}

int px(double twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

constexpr const char* other_user_id = "65534";  // nobody / nogroup on Debian

// A corner of the private screen (1280x1024) no window of the program reaches.
constexpr QPoint parking(1270, 1015);

}  // namespace

bool eventually(const std::function<bool()>& done, int ms) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (done()) return true;
        if (SteadyClock::now() >= deadline) return false;
        pause_ms(50);
    }
}

void pause_ms(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

QStringList needed_tools(bool needs_bus) {
    QStringList tools{QStringLiteral("AZELROT_EXE"),      QStringLiteral("AZELROT_GS232B_SIM"),
                      QStringLiteral("AZELROT_ORBX_SIM"), QStringLiteral("Xvfb"),
                      QStringLiteral("xdotool"),          QStringLiteral("import")};
    if (needs_bus) tools << QStringLiteral("dbus-daemon");
    return tools;
}

// --- bus ------------------------------------------------------------------------------------

SessionBus::SessionBus() {
    daemon_.process().setStandardErrorFile(QProcess::nullDevice());
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address")});
    address_ = daemon_.read_line(10000).value_or(QString());
}

// --- Desktop --------------------------------------------------------------------------------

std::optional<QString> Desktop::xdo(const QStringList& args, int ms) const {
    const support::Finished run =
        support::run_to_end(QStringLiteral("xdotool"), args, ms, {}, QProcess::SeparateChannels,
                            {QStringLiteral("DISPLAY=") + display_});
    if (run.exit_code != 0) return std::nullopt;
    return QString::fromUtf8(run.out).trimmed();
}

std::vector<WindowId> Desktop::windows(const QString& name_pattern, qint64 pid) const {
    QStringList args{QStringLiteral("search"), QStringLiteral("--onlyvisible")};
    // --all: every condition must hold (xdotool's default takes any one of them).
    if (pid != 0)
        args << QStringLiteral("--all") << QStringLiteral("--pid") << QString::number(pid);
    args << QStringLiteral("--name") << name_pattern;
    std::vector<WindowId> ids;
    if (const auto out = xdo(args)) {
        for (const QString& line : out->split(u'\n', Qt::SkipEmptyParts)) {
            ids.push_back(line.trimmed().toULongLong());
        }
    }
    return ids;
}

std::optional<WindowId> Desktop::wait_window(const QString& name_pattern, qint64 pid,
                                             int ms) const {
    std::optional<WindowId> found;
    eventually(
        [&] {
            const auto ids = windows(name_pattern, pid);
            if (!ids.empty()) found = ids.front();
            return found.has_value();
        },
        ms);
    return found;
}

bool Desktop::wait_gone(WindowId window, int ms) const {
    return eventually(
        [&] {
            const auto ids = windows(QStringLiteral(".*"));
            return std::find(ids.begin(), ids.end(), window) == ids.end();
        },
        ms);
}

std::optional<QRect> Desktop::geometry(WindowId window) const {
    const auto out = xdo(
        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)});
    if (!out) return std::nullopt;
    QRect r;
    for (const QString& line : out->split(u'\n')) {
        const auto kv = line.split(u'=');
        if (kv.size() != 2) continue;
        const int v = kv[1].toInt();
        if (kv[0] == u"X") r.moveLeft(v);
        if (kv[0] == u"Y") r.moveTop(v);
        if (kv[0] == u"WIDTH") r.setWidth(v);
        if (kv[0] == u"HEIGHT") r.setHeight(v);
    }
    return r;
}

bool Desktop::click(QPoint at) const {
    return xdo({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1"),
                QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(parking.x()),
                QString::number(parking.y())})
        .has_value();
}

bool Desktop::key(const QStringList& keys) const {
    return xdo(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("50")} +
               keys)
        .has_value();
}

bool Desktop::type(const QString& text) const {
    return xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), text})
        .has_value();
}

bool Desktop::focus(WindowId window) const {
    // Without --sync: it would wait for a focus change that does not come when the window
    // already holds the focus.
    if (!xdo({QStringLiteral("windowfocus"), QString::number(window)})) return false;
    return eventually(
        [&] {
            const auto focused = xdo({QStringLiteral("getwindowfocus")});
            return focused && focused->toULongLong() == window;
        },
        3000);
}

bool Desktop::move(WindowId window, QPoint to) const {
    return xdo({QStringLiteral("windowmove"), QStringLiteral("--sync"), QString::number(window),
                QString::number(to.x()), QString::number(to.y())})
        .has_value();
}

std::optional<QColor> Desktop::pixel(QPoint at) const {
    // ImageMagick's text form: "0,0: (255,0,0)  #FF0000  red".
    const support::Finished run = support::run_to_end(
        QStringLiteral("import"),
        {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
         QStringLiteral("1x1+%1+%2").arg(at.x()).arg(at.y()), QStringLiteral("-depth"),
         QStringLiteral("8"), QStringLiteral("txt:-")},
        10000, {}, QProcess::SeparateChannels, {QStringLiteral("DISPLAY=") + display_});
    if (run.exit_code != 0) return std::nullopt;
    const auto m =
        QRegularExpression(QStringLiteral("#([0-9A-Fa-f]{6})")).match(QString::fromLatin1(run.out));
    if (!m.hasMatch()) return std::nullopt;
    return QColor(u'#' + m.captured(1));
}

QString box_pattern() {
    return QStringLiteral("^azelrot$");
}

QString menu_pattern() {
    return QStringLiteral("^$");
}

bool dismiss_box(const Desktop& desktop, qint64 pid, int ms) {
    const auto box = desktop.wait_window(box_pattern(), pid, ms);
    if (!box) return false;
    // No window manager: the box is given the focus by hand.
    if (!desktop.focus(*box)) return false;
    return desktop.key({QStringLiteral("Return")}) && desktop.wait_gone(*box, 3000);
}

// --- MainWindow ------------------------------------------------------------------------------

namespace {

// "name x y w h [caption]" lines of the program's --print-layout, read once.
const std::map<QString, QRect>& printed_layout() {
    static const std::map<QString, QRect> places = [] {
        std::map<QString, QRect> out;
        Child program;
        program.start(env("AZELROT_EXE"), {QStringLiteral("--print-layout")});
        if (!program.process().waitForFinished(10000)) return out;
        const QString text = QString::fromUtf8(program.process().readAllStandardOutput());
        for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(u' ');
            if (f.size() < 5) continue;
            out[f[0]] = QRect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
        }
        return out;
    }();
    return places;
}

std::optional<QRect> printed(const QString& name) {
    const auto& places = printed_layout();
    const auto it = places.find(name);
    if (it == places.end()) return std::nullopt;
    return it->second;
}

QPoint middle(const QRect& r) {
    return {r.x() + r.width() / 2, r.y() + r.height() / 2};
}

}  // namespace

std::optional<QRect> client_area() {
    return printed(QStringLiteral("client"));
}

std::optional<QRect> place_of(const Control& control) {
    return printed(QString::fromLatin1(control.name));
}

std::optional<QPoint> MainWindow::client_origin() const {
    const auto g = desktop_.geometry(id_);
    const auto client = client_area();
    if (!g || !client) return std::nullopt;
    return QPoint(g->x(), g->y() + g->height() - client->height());
}

bool MainWindow::click(const Control& control) const {
    const auto origin = client_origin();
    const auto place = place_of(control);
    return origin && place && desktop_.click(*origin + middle(*place));
}

std::optional<QColor> MainWindow::colour(const Control& control) const {
    const auto origin = client_origin();
    const auto place = place_of(control);
    if (!origin || !place) return std::nullopt;
    // Near the left edge, clear of a centred caption.
    return desktop_.pixel(*origin + QPoint(place->x() + 5, middle(*place).y()));
}

bool MainWindow::shows(const Control& control, const QColor& expected, int tolerance,
                       int ms) const {
    return eventually(
        [&] {
            const auto seen = colour(control);
            return seen && std::abs(seen->red() - expected.red()) <= tolerance &&
                   std::abs(seen->green() - expected.green()) <= tolerance &&
                   std::abs(seen->blue() - expected.blue()) <= tolerance;
        },
        ms);
}

bool MainWindow::click_radar(int dx, int dy) const {
    const auto origin = client_origin();
    const auto picture = place_of(design::Picture1);
    if (!origin || !picture) return false;
    // The picture reports points inside its border; its centre is half its outer width there.
    const int centre_px = px(picture->width() * 15 / 2.0 + design::picture_border);
    const QPoint at(picture->x() + centre_px + dx, picture->y() + centre_px + dy);
    return desktop_.click(*origin + at);
}

bool MainWindow::wait_popups(int count) const {
    return eventually(
        [&] { return static_cast<int>(desktop_.windows(menu_pattern(), pid_).size()) == count; },
        3000);
}

bool MainWindow::menu(const QStringList& keys, int popups_after_last) const {
    const auto g = desktop_.geometry(id_);
    const auto client = client_area();
    if (!g || !client) return false;
    const int bar_height = g->height() - client->height();
    // The first title of the bar starts at its left edge.
    if (!desktop_.click(QPoint(g->x() + 15, g->y() + bar_height / 2))) return false;
    if (!wait_popups(1)) return false;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        // A menu takes keys once it holds the keyboard, a moment after it shows.
        pause_ms(300);
        if (!desktop_.key({keys[i]})) return false;
    }
    return wait_popups(popups_after_last);
}

bool MainWindow::open_settings() const {
    // 設定 → 環境設定 (its only entry).
    return menu({QStringLiteral("Down"), QStringLiteral("Return")}, 0);
}

bool MainWindow::debug(bool on) const {
    // 設定 → 操作 → ヘルプ (the titles after it) → ＤＥＢＵＧ (first entry) → ＯＮ / ＯＦＦ.
    QStringList keys{QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Right")};
    if (!on) keys << QStringLiteral("Down");
    keys << QStringLiteral("Return");
    return menu(keys, 0);
}

std::optional<QString> ini_value(const QString& text, const QString& section, const QString& key) {
    bool in_section = false;
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            in_section = line.compare(u'[' + section + u']', Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (in_section && eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

QStringList misuse_warnings(const QString& output) {
    static const QRegularExpression misuse(
        QStringLiteral(R"(^(QIODevice|QObject|QSocketNotifier|QTimer|QWidget)\S*:)"));
    QStringList found;
    for (const QString& line : output.split(u'\n')) {
        if (misuse.match(line).hasMatch()) found << line;
    }
    return found;
}

std::size_t count_of(const std::vector<std::string>& commands, const std::string& text) {
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), text));
}

// --- Rig -----------------------------------------------------------------------------------------

Rig::Rig(RigOptions options)
    : options_(std::move(options)),
      x_(root_.filePath(QStringLiteral("xvfb.err"))),
      desktop_(x_.display()) {
    if (!root_.isValid()) {
        problem_ = QStringLiteral("no temporary folder");
        return;
    }
    // For a look afterwards at the settings, logs and the program's output.
    if (!env("AZELROT_E2E_KEEP").isEmpty()) {
        root_.setAutoRemove(false);
        std::printf("rig folder %s\n", qPrintable(root_.path()));
    }
    if (!x_.ok()) {
        problem_ = QStringLiteral("Xvfb did not start");
        return;
    }
    if (options_.orbx) {
        bus_ = std::make_unique<SessionBus>();
        if (!bus_->ok()) {
            problem_ = QStringLiteral("dbus-daemon did not start");
            return;
        }
        if (!start_orbx(options_.orbx_args)) {
            problem_ = QStringLiteral("orbx-sim did not start");
            return;
        }
    }
    sim_ = std::make_unique<simtest::SimProcess>(sim_switches({}));
    if (!sim_->ready() || sim_->tcp_port() == 0) {
        problem_ = QStringLiteral("gs232b-sim did not start");
        return;
    }
    tcp_port_ = sim_->tcp_port();
    QDir(root_.path()).mkdir(QStringLiteral("station"));
    // The program's own temporary files (its single-copy lock) stay in the rig.
    QDir(root_.path()).mkdir(QStringLiteral("tmp"));
    ::chmod(QFile::encodeName(root_.filePath(QStringLiteral("tmp"))).constData(), 01777);
    if (!QFile::copy(env("AZELROT_EXE"), station_file(QStringLiteral("azelrot")))) {
        problem_ = QStringLiteral("cannot copy the program");
        return;
    }
    write_ini(ini_text());
    if (options_.read_only_station) options_.as_other_user = true;
    if (options_.as_other_user) make_station_other_users_may_use();
    if (options_.read_only_station) {
        ::chmod(QFile::encodeName(ini_path()).constData(), 0444);
        ::chmod(QFile::encodeName(station_file({})).constData(), 0555);
    }
}

Rig::~Rig() {
    window_.reset();
    program_.reset();
    orbx_.reset();
    sim_.reset();
    // Every run, whatever it tested: Qt's complaints of misuse are faults of the program.
    const QStringList misuse = misuse_warnings(program_output());
    if (!misuse.isEmpty())
        ADD_FAILURE() << "Qt objects misused:\n" << misuse.join(u'\n').toStdString();
    if (::testing::Test::HasFailure()) print_record();
    // Let the folder go even where it was made read-only.
    ::chmod(QFile::encodeName(station_file({})).constData(), 0700);
}

void Rig::print_record() const {
    // What a failed run leaves for whoever reads the test's output.
    std::printf("--- commands the controller received (seconds, transport, command):\n");
    for (const Received& r : received()) {
        std::printf("%8.3f %s [%s]\n", r.seconds, r.transport.c_str(), r.command.c_str());
    }
    const QDir root(root_.path());
    const QStringList outputs{QStringLiteral("*.out"), QStringLiteral("xvfb.err"),
                              QStringLiteral("orbx-sim.err")};
    for (const QString& name : root.entryList(outputs, QDir::Files)) {
        QFile f(root.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            std::printf("--- %s:\n%s\n", qPrintable(name), f.readAll().constData());
    }
    std::fflush(stdout);
}

QStringList Rig::sim_switches(const QStringList& extra) const {
    return QStringList{QStringLiteral("--log"),
                       root_.filePath(QStringLiteral("sim%1.log").arg(sim_generation_)),
                       QStringLiteral("--control"),
                       root_.filePath(QStringLiteral("control")),
                       QStringLiteral("--tcp"),
                       QString::number(tcp_port_)} +
           options_.sim_args + extra;
}

QString Rig::ini_text() const {
    const bool board = options_.transport == Transport::board;
    QString ini = QStringLiteral("[GS232B]\n");
    if (!board) ini += QStringLiteral("PORT=%1\n").arg(sim_->pty());
    ini += QStringLiteral("PICNIC=%1\nORBX=%2\nTIMER=%3\n")
               .arg(board ? 1 : 0)
               .arg(options_.orbx ? 1 : 0)
               .arg(options_.timer);
    // The board is always this machine's simulator, whatever the transport.
    ini += QStringLiteral("[TCP/IP]\nIP=127.0.0.1\nPORT=%1\n").arg(tcp_port_);
    ini += QStringLiteral("[WIN_POSITION]\nGS232B_TOP_LEFT=4600:9000\n");
    return ini + options_.ini_extra;
}

void Rig::make_station_other_users_may_use() {
    const QByteArray root = QFile::encodeName(root_.path());
    ::chmod(root.constData(), 0755);
    ::chmod(QFile::encodeName(station_file({})).constData(), 0755);
    ::chmod(QFile::encodeName(ini_path()).constData(), 0644);
    if (options_.transport == Transport::serial) {
        ::chmod(QFile::encodeName(sim_->pty()).constData(), 0666);
    }
}

QString Rig::program_output() const {
    QFile f(root_.filePath(QStringLiteral("program.out")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString Rig::station_file(const QString& name) const {
    return root_.filePath(QStringLiteral("station/") + name);
}

QString Rig::read_ini() const {
    QFile f(ini_path());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void Rig::write_ini(const QString& text) const {
    QFile f(ini_path());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(text.toUtf8());
}

QProcessEnvironment Rig::program_environment() const {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    // The real window system of the private X server, not the offscreen one of the tests.
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    e.insert(QStringLiteral("DISPLAY"), x_.display());
    e.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    e.insert(QStringLiteral("TMPDIR"), root_.filePath(QStringLiteral("tmp")));
    // Never the desktop's own bus: the private one, or none at all.
    e.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
             bus_ ? bus_->address()
                  : QStringLiteral("unix:path=") + root_.filePath(QStringLiteral("no-bus")));
    if (options_.as_other_user) {
        e.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        e.insert(QStringLiteral("HOME"), station_file({}));
    }
    return e;
}

void Rig::start_as(Child& child, const QString& output) const {
    const QString exe = station_file(QStringLiteral("azelrot"));
    QProcess& p = child.process();
    p.setProcessEnvironment(program_environment());
    p.setWorkingDirectory(station_file({}));
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardOutputFile(root_.filePath(output));
    if (options_.as_other_user && ::geteuid() == 0) {
        // Root writes anywhere: the program runs as nobody so that permissions hold.
        child.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=%1").arg(QLatin1String(other_user_id)),
                     QStringLiteral("--regid=%1").arg(QLatin1String(other_user_id)),
                     QStringLiteral("--clear-groups"), QStringLiteral("--pdeathsig"),
                     QStringLiteral("KILL"), QStringLiteral("--"), exe});
        return;
    }
    child.start(exe, {});
}

bool Rig::start_program() {
    program_ = std::make_unique<Child>();
    start_as(*program_, QStringLiteral("program.out"));
    const auto id = desktop_.wait_window(QString::fromUtf8(main_title), pid(), 15000);
    if (!id) return false;
    window_ = std::make_unique<MainWindow>(desktop_, *id, pid());
    // The start-up burst: two bare carriage returns and a poll.
    return eventually([&] { return received().size() >= 3; }, 5000);
}

std::unique_ptr<Child> Rig::start_second_copy() {
    auto second = std::make_unique<Child>();
    start_as(*second, QStringLiteral("second-copy.out"));
    return second;
}

qint64 Rig::pid() const {
    return program_ ? program_->process().processId() : 0;
}

std::vector<Received> Rig::received() const {
    return simtest::read_command_log(
        root_.filePath(QStringLiteral("sim%1.log").arg(sim_generation_)));
}

std::vector<std::string> Rig::commands() const {
    std::vector<std::string> out;
    for (const Received& r : received()) out.push_back(r.command);
    return out;
}

int Rig::wait_command(const std::string& text, std::size_t from, int ms) const {
    int found = -1;
    eventually(
        [&] {
            const auto all = commands();
            for (std::size_t i = from; i < all.size(); ++i) {
                if (all[i] == text) {
                    found = static_cast<int>(i);
                    return true;
                }
            }
            return false;
        },
        ms);
    return found;
}

bool Rig::wait_quiet(int quiet_ms, int ms) const {
    std::size_t seen = commands().size();
    auto last_change = SteadyClock::now();
    return eventually(
        [&] {
            const std::size_t now_seen = commands().size();
            if (now_seen != seen) {
                seen = now_seen;
                last_change = SteadyClock::now();
            }
            return SteadyClock::now() - last_change >= std::chrono::milliseconds(quiet_ms);
        },
        ms);
}

bool Rig::control(const QString& line) const {
    const bool ok = simtest::control(root_.filePath(QStringLiteral("control")), line);
    // The simulator reads its pipe between commands.
    pause_ms(100);
    return ok;
}

bool Rig::restart_sim(const QStringList& extra_args) {
    ++sim_generation_;
    sim_ = std::make_unique<simtest::SimProcess>(sim_switches(extra_args));
    return sim_->ready() && sim_->tcp_port() == tcp_port_;
}

void Rig::kill_sim() {
    sim_->kill();
}

bool Rig::start_orbx(const QStringList& args) {
    orbx_ = std::make_unique<Child>();
    QProcess& p = orbx_->process();
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_->address());
    p.setProcessEnvironment(e);
    p.setStandardErrorFile(root_.filePath(QStringLiteral("orbx-sim.err")), QIODevice::Append);
    orbx_->start(env("AZELROT_ORBX_SIM"), args);
    return orbx_->wait_line_starting(QStringLiteral("ready"), 10000);
}

void Rig::kill_orbx() {
    if (orbx_) orbx_->kill_now();
}

std::optional<int> Rig::exit_by_button(int ms) {
    if (!window_->click(design::Command3)) return std::nullopt;
    return wait_program_end(ms);
}

std::optional<int> Rig::wait_program_end(int ms) {
    QProcess& p = program_->process();
    if (!p.waitForFinished(ms) && p.state() != QProcess::NotRunning) return std::nullopt;
    if (p.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return p.exitCode();
}

}  // namespace e2e
