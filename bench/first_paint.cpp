// Time from launching the program to its main window showing on the X display, seen from
// outside: the screen is read back until the window's colours are there.
//   azelrot-first-paint --exe PATH --station DIR --region X,Y,W,H --colour R,G,B
//                       [--min-pixels N] [--runs N] [--timeout S]
// Prints one "run_ms" line per launch. Each launched copy is ended with SIGTERM.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "thread_cpu.h"

namespace {

std::optional<QList<int>> numbers(const QString& text, int count) {
    QList<int> out;
    for (const QString& part : text.split(u',')) {
        bool ok = false;
        out.append(part.toInt(&ok));
        if (!ok) return std::nullopt;
    }
    if (out.size() != count) return std::nullopt;
    return out;
}

pid_t launch(const QByteArray& exe, const QByteArray& dir) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.constData()) != 0) _exit(126);
        unsetenv("QT_QPA_PLATFORM");  // the program runs on the X display, as an operator's does
        execl(exe.constData(), exe.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

long pixels_of(const QImage& image, QRgb colour) {
    long n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) n += (line[x] & 0xFFFFFF) == (colour & 0xFFFFFF);
    }
    return n;
}

struct Watch {
    QRect region;
    QRgb colour;
    long min_pixels;
    double timeout_s;
};

// Milliseconds until the colour shows, or a negative value when the program ended first or
// the time ran out.
double time_to_paint(const QByteArray& exe, const QByteArray& dir, const Watch& w) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const double start = bench::monotonic_us();
    const pid_t pid = launch(exe, dir);
    if (pid < 0) return -1;
    double result = -1;
    while ((bench::monotonic_us() - start) / 1e6 < w.timeout_s) {
        const QImage shot =
            screen->grabWindow(0, w.region.x(), w.region.y(), w.region.width(), w.region.height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        if (pixels_of(shot, w.colour) >= w.min_pixels) {
            result = (bench::monotonic_us() - start) / 1000;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) return -1;
        QThread::usleep(2000);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return result;
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption exe({QStringLiteral("exe")}, QStringLiteral("Program."),
                                 QStringLiteral("PATH"));
    const QCommandLineOption station({QStringLiteral("station")},
                                     QStringLiteral("Folder it runs in."), QStringLiteral("DIR"));
    const QCommandLineOption region({QStringLiteral("region")},
                                    QStringLiteral("Screen area to watch."),
                                    QStringLiteral("X,Y,W,H"));
    const QCommandLineOption colour({QStringLiteral("colour")},
                                    QStringLiteral("Colour the window paints."),
                                    QStringLiteral("R,G,B"));
    const QCommandLineOption min_pixels({QStringLiteral("min-pixels")},
                                        QStringLiteral("Pixels of it needed (default 2000)."),
                                        QStringLiteral("N"), QStringLiteral("2000"));
    const QCommandLineOption runs({QStringLiteral("runs")}, QStringLiteral("Launches (default 5)."),
                                  QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption timeout({QStringLiteral("timeout")},
                                     QStringLiteral("Seconds per launch (default 10)."),
                                     QStringLiteral("S"), QStringLiteral("10"));
    parser.addOptions({exe, station, region, colour, min_pixels, runs, timeout});
    parser.process(app);
    const auto r = numbers(parser.value(region), 4);
    const auto c = numbers(parser.value(colour), 3);
    if (!parser.isSet(exe) || !parser.isSet(station) || !r || !c) parser.showHelp(2);

    const Watch watch{QRect((*r)[0], (*r)[1], (*r)[2], (*r)[3]), qRgb((*c)[0], (*c)[1], (*c)[2]),
                      parser.value(min_pixels).toLong(), parser.value(timeout).toDouble()};
    const int n = parser.value(runs).toInt();
    for (int i = 0; i < n; ++i) {
        const double ms = time_to_paint(QFile::encodeName(parser.value(exe)),
                                        QFile::encodeName(parser.value(station)), watch);
        std::printf("run_ms %.1f\n", ms);
        std::fflush(stdout);
        QThread::msleep(700);  // the port and the lock are free again before the next launch
    }
    return 0;
}
