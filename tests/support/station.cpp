#include "support/station.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

#include "platform/control_error.h"
#include "platform/real_services.h"
#include "support/tools.h"

namespace integ {

const char* name_of(Transport t) {
    switch (t) {
        case Transport::pty:
            return "pty";
        case Transport::pty_mapped:
            return "pty_mapped";
        case Transport::tcp:
            return "tcp";
        case Transport::ser2net:
            return "ser2net";
    }
    return "?";
}

bool is_board(Transport t) {
    return t == Transport::tcp || t == Transport::ser2net;
}

// --- Controller --------------------------------------------------------------------------

Controller::Controller(const QStringList& extra_args, int tcp_port)
    : log_(dir_.filePath(QStringLiteral("commands.log"))),
      fifo_(dir_.filePath(QStringLiteral("control"))),
      link_(dir_.filePath(QStringLiteral("rotator"))) {
    QStringList args{QStringLiteral("--tcp"),     QString::number(tcp_port),
                     QStringLiteral("--log"),     log_,
                     QStringLiteral("--control"), fifo_,
                     QStringLiteral("--link"),    link_};
    args += extra_args;
    sim_ = std::make_unique<simtest::SimProcess>(args);
}

Controller::~Controller() = default;

bool Controller::wait_for_commands(qsizetype count, int ms) const {
    return QTest::qWaitFor([&] { return commands().size() > count; }, ms);
}

// --- Ser2net -----------------------------------------------------------------------------

namespace {

int free_local_port() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

// True once something listens on 127.0.0.1:port, as /proc shows it (no connection is made:
// ser2net opens the device for every client).
bool listening_on(int port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QString wanted =
        QStringLiteral("0100007F:%1").arg(port, 4, 16, QLatin1Char('0')).toUpper();
    for (const QByteArray& raw : table.readAll().split('\n')) {
        const QStringList f = QString::fromLatin1(raw).simplified().split(u' ');
        if (f.size() > 3 && f[1] == wanted && f[3] == QLatin1String("0A")) return true;
    }
    return false;
}

}  // namespace

Ser2net::Ser2net(const QString& device) {
    const QString exe = support::tool(QStringLiteral("ser2net"));
    port_ = free_local_port();
    if (exe.isEmpty() || port_ == 0) return;
    // ser2net 4 reads YAML. Raw mode, loopback only; "local" because a pty has no modem lines.
    const QString config = dir_.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(QStringLiteral("%YAML 1.1\n"
                              "---\n"
                              "connection: &rotator\n"
                              "  accepter: tcp,127.0.0.1,%1\n"
                              "  connector: serialdev,%2,9600n81,local\n"
                              "  options:\n"
                              "    kickolduser: true\n")
                   .arg(port_)
                   .arg(device)
                   .toUtf8());
    file.close();
    child_.process().setProcessChannelMode(QProcess::ForwardedChannels);
    // -n: stay in the foreground (and so die with the test); -u: no lock files in /var/lock.
    if (!child_.start(exe,
                      {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config,
                       QStringLiteral("-P"), dir_.filePath(QStringLiteral("ser2net.pid"))}))
        return;
    ready_ = QTest::qWaitFor([&] { return listening_on(port_) || !child_.running(); }, 5000) &&
             child_.running();
}

Ser2net::~Ser2net() {
    child_.stop(3000);
}

// --- LoopbackBoard -----------------------------------------------------------------------

void LoopbackBoard::connect_board() {
    const QHostAddress address(real_.address().trimmed());
    if (!address.isLoopback()) {
        ADD_FAILURE() << "a test tried to reach a board at " << real_.address().toStdString();
        throw platform::ControlError("only loopback addresses in tests");
    }
    real_.connect_board();
}

void LoopbackBoard::send(const QByteArray& one_char) {
    connect_board();
    real_.send(one_char);
}

// --- Station -----------------------------------------------------------------------------

Station::Station()
    : board([this] { return platform::board_tcp_port(profile, program_dir_); }),
      services_{serial,      board,          dde,          profile,     clock,
                message_box, instance_guard, program_dir_, help_viewer, program_end},
      module_(services_) {}

Station::~Station() = default;

void Station::write_settings(const StationSettings& s, const Controller& controller,
                             std::optional<int> board_port) {
    QString port_name = controller.pty();
    QString comports;
    if (s.transport == Transport::pty_mapped) {
        port_name = QStringLiteral("COM7");
        comports = QStringLiteral("[COMPORTS]\nCOM7=%1\n").arg(controller.link());
    }
    const int tcp = board_port.value_or(controller.tcp_port());
    const QString text =
        QStringLiteral(
            "[GS232B]\nPORT=%1\nPICNIC=%2\nORBX=%3\nTIMER=%4\n"
            "[HOUI]\nHKITEN=%5\n[EISEI]\nSAT=%6\n"
            "[TCP/IP]\nIP=127.0.0.1\nPORT=%7\n")
            .arg(port_name, is_board(s.transport) ? QStringLiteral("1") : QStringLiteral("0"),
                 s.orbx, s.timer, s.houi, s.sat)
            .arg(tcp) +
        comports;
    QFile file(program_dir_.file(QStringLiteral("azelrot.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

Form1& Station::start() {
    form_ = std::make_unique<Form1>(module_, services_);
    form_->Form_Load();
    form_->menu_debug_on_Click();
    return *form_;
}

QString Station::log_text() const {
    QFile file(program_dir_.file(QStringLiteral("azelrot.log")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

bool Station::poll(int ms) {
    form_->Command1_Click();
    return QTest::qWaitFor([&] { return form_->Label16->text().startsWith(QStringLiteral("AZ=")); },
                           ms);
}

}  // namespace integ
