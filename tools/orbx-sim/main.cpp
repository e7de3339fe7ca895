// A stand-in for the satellite-tracking program on the session bus: owns "dde.ORBX" and
// serves its items at "/EXTRN" until SIGTERM, SIGINT or --exit-after.

#include <sys/socket.h>
#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "conversation.h"

namespace {

// The write end of the pipe that turns a signal into an event; a handler can reach nothing else.
int signal_write_fd = -1;

void on_signal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signal_write_fd, &byte, 1);
}

bool install_signal_pipe(QCoreApplication& app) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return false;
    signal_write_fd = fds[0];
    auto* notifier = new QSocketNotifier(fds[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::sigaction(SIGINT, &action, nullptr) == 0;
}

[[noreturn]] void usage_error(const QString& message) {
    std::fprintf(stderr, "orbx-sim: %s\n", qPrintable(message));
    std::exit(2);
}

double positive_number(const QString& text, const char* option) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v > 0))
        usage_error(QStringLiteral("--%1 needs a positive number").arg(QLatin1String(option)));
    return v;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orbx-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Publishes a satellite pass and the Moon as \"dde.ORBX\" /EXTRN dde.Conversation.Request"));
    parser.addHelpOption();
    const QCommandLineOption fixed(QStringLiteral("fixed"),
                                   QStringLiteral("Fixed value of an item."),
                                   QStringLiteral("ITEM=VALUE"));
    const QCommandLineOption fail_after(QStringLiteral("fail-after"),
                                        QStringLiteral("Refuse every request after the first N."),
                                        QStringLiteral("N"));
    const QCommandLineOption exit_after(QStringLiteral("exit-after"),
                                        QStringLiteral("Quit after this many seconds."),
                                        QStringLiteral("SECONDS"));
    const QCommandLineOption pass_seconds(QStringLiteral("pass-seconds"),
                                          QStringLiteral("Length of one pass (default 840)."),
                                          QStringLiteral("SECONDS"));
    const QCommandLineOption time_scale(QStringLiteral("time-scale"),
                                        QStringLiteral("Simulated seconds per real second."),
                                        QStringLiteral("N"));
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Append each request to FILE."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption answer_delay(QStringLiteral("answer-delay"),
                                          QStringLiteral("Answer each request after MS."),
                                          QStringLiteral("MS"));
    parser.addOptions({fixed, fail_after, exit_after, pass_seconds, time_scale, log, answer_delay});
    parser.process(app);

    orbx_sim::Pass pass;
    if (parser.isSet(pass_seconds))
        pass.seconds = positive_number(parser.value(pass_seconds), "pass-seconds");
    orbx_sim::Publisher publisher(pass, QDateTime::currentDateTimeUtc());
    for (const QString& pair : parser.values(fixed)) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq <= 0) usage_error(QStringLiteral("--fixed needs ITEM=VALUE, not %1").arg(pair));
        const QString item = pair.left(eq);
        if (!orbx_sim::is_published_item(item)) usage_error(QStringLiteral("no item %1").arg(item));
        publisher.fix(item, pair.mid(eq + 1));
    }

    orbx_sim::Conversation::Settings settings;
    if (parser.isSet(time_scale))
        settings.time_scale = positive_number(parser.value(time_scale), "time-scale");
    if (parser.isSet(fail_after)) {
        bool ok = false;
        const long n = parser.value(fail_after).toLong(&ok);
        if (!ok || n < 0) usage_error(QStringLiteral("--fail-after needs a count"));
        settings.fail_after = n;
    }
    settings.log_path = parser.value(log);
    if (parser.isSet(answer_delay)) {
        bool ok = false;
        const int ms = parser.value(answer_delay).toInt(&ok);
        if (!ok || ms < 0 || ms > 60000)
            usage_error(QStringLiteral("--answer-delay needs milliseconds (0 to 60000)"));
        settings.answer_delay_ms = ms;
    }
    if (parser.isSet(exit_after)) {
        const double s = positive_number(parser.value(exit_after), "exit-after");
        QTimer::singleShot(static_cast<int>(s * 1000), &app, &QCoreApplication::quit);
    }

    if (!install_signal_pipe(app)) usage_error(QStringLiteral("cannot catch signals"));

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "orbx-sim: no session bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    orbx_sim::Conversation conversation(std::move(publisher), settings);
    if (!bus.registerObject(QStringLiteral("/EXTRN"), &conversation,
                            QDBusConnection::ExportAllSlots)) {
        std::fprintf(stderr, "orbx-sim: cannot register /EXTRN\n");
        return 1;
    }
    if (!bus.registerService(QStringLiteral("dde.ORBX"))) {
        std::fprintf(stderr, "orbx-sim: cannot own dde.ORBX: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    const int rc = QCoreApplication::exec();
    bus.unregisterService(QStringLiteral("dde.ORBX"));
    bus.unregisterObject(QStringLiteral("/EXTRN"));
    return rc;
}
