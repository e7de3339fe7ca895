#include "support/tracking.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTest>

#include "support/tools.h"

namespace support {

namespace {

const QString tracking_name = QStringLiteral("dde.ORBX");

}  // namespace

bool tracking_name_owned() {
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus != nullptr && bus->isServiceRegistered(tracking_name).value();
}

bool wait_tracking_name_released(int ms) {
    return QTest::qWaitFor([] { return !tracking_name_owned(); }, ms);
}

QString bus_item(const QString& item) {
    QDBusMessage call = QDBusMessage::createMethodCall(tracking_name, QStringLiteral("/EXTRN"),
                                                       QStringLiteral("dde.Conversation"),
                                                       QStringLiteral("Request"));
    call << item;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return QStringLiteral("<error %1>").arg(reply.errorName());
    }
    return reply.arguments().first().toString();
}

TrackingProgram::TrackingProgram(const QStringList& args) {
    const QString exe = tool(QStringLiteral("AZELROT_ORBX_SIM"));
    if (exe.isEmpty()) return;
    child_.process().setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ready_ = child_.start(exe, args) &&
             child_.wait_line([](const QString& line) { return line == u"ready"; }, 5000);
}

void TrackingProgram::kill() {
    if (child_.process().state() == QProcess::NotRunning) return;
    child_.kill_now();
    wait_tracking_name_released();
}

bool Bridge::start(const QStringList& args) {
    child_.process().setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!child_.start(
            tool(QStringLiteral("AZELROT_TRACK_BRIDGE")),
            QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} + args))
        return false;
    const auto line = child_.read_line(10000);
    const qsizetype at = line ? line->indexOf(QStringLiteral("127.0.0.1:")) : -1;
    port_ = at < 0 ? 0 : quint16(line->mid(at + 10).section(u',', 0, 0).toUInt());
    return port_ != 0;
}

bool Bridge::stop() {
    if (child_.process().state() == QProcess::NotRunning) return !tracking_name_owned();
    // Ended by the signal or by itself, whatever its status; only a hang counts against it.
    child_.process().terminate();
    const bool ended = child_.process().waitForFinished(5000);
    child_.kill_now();
    return wait_tracking_name_released() && ended;
}

RotctlRun run_rotctl(quint16 port, const QByteArray& commands) {
    const Finished run =
        run_to_end(tool(QStringLiteral("rotctl")),
                   {QStringLiteral("-m"), QStringLiteral("2"), QStringLiteral("-r"),
                    QStringLiteral("127.0.0.1:%1").arg(port)},
                   20000, commands, QProcess::MergedChannels);
    return {run.exit_code, QString::fromUtf8(run.out)};
}

}  // namespace support
