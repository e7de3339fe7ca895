#include "support/child.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <csignal>

namespace support {

namespace {

void die_with_parent(QProcess& process) {
    const pid_t parent = getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The parent may have gone between fork and prctl.
        if (getppid() != parent) _exit(1);
    });
}

int remaining(const QDeadlineTimer& deadline) {
    return int(deadline.remainingTime());
}

}  // namespace

Child::~Child() {
    stop();
}

bool Child::start(const QString& program, const QStringList& args) {
    die_with_parent(process_);
    process_.start(program, args);
    return process_.waitForStarted(5000);
}

std::optional<QString> Child::read_line(int ms) {
    const QDeadlineTimer deadline(ms);
    while (!process_.canReadLine()) {
        if (deadline.hasExpired() || !process_.waitForReadyRead(remaining(deadline)))
            return std::nullopt;
    }
    return QString::fromUtf8(process_.readLine()).trimmed();
}

std::optional<QString> Child::wait_line(const std::function<bool(const QString&)>& ready, int ms) {
    const QDeadlineTimer deadline(ms);
    while (const auto line = read_line(remaining(deadline))) {
        if (ready(*line)) return line;
    }
    return std::nullopt;
}

bool Child::wait_line_starting(const QString& prefix, int ms) {
    return wait_line([&](const QString& line) { return line.startsWith(prefix); }, ms).has_value();
}

bool Child::running() {
    return process_.state() != QProcess::NotRunning && !process_.waitForFinished(0);
}

int Child::stop(int grace_ms) {
    if (process_.state() != QProcess::NotRunning) {
        // A stopped child would keep SIGTERM pending.
        ::kill(pid_t(process_.processId()), SIGCONT);
        process_.terminate();
        if (!process_.waitForFinished(grace_ms)) {
            kill_now();
            return -1;
        }
    }
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

void Child::kill_now() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

Finished run_to_end(const QString& program, const QStringList& args, int ms,
                    const QByteArray& input, QProcess::ProcessChannelMode mode,
                    const QStringList& env) {
    Child child;
    QProcess& p = child.process();
    p.setProcessChannelMode(mode);
    if (!env.isEmpty()) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : env)
            e.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        p.setProcessEnvironment(e);
    }
    if (!child.start(program, args)) return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(ms)) {
        child.kill_now();
        return {-1, p.readAllStandardOutput(), p.readAllStandardError()};
    }
    const int code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return {code, p.readAllStandardOutput(), p.readAllStandardError()};
}

}  // namespace support
