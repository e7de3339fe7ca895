#include "support/xvfb.h"

#include <QFile>
#include <random>

namespace support {

XServer::XServer(const QString& log, const QString& screen) {
    // Xvfb's own choice (-displayfd alone) is the lowest free number, which the server of a
    // test that has just ended may still be giving up: its exit would then remove the
    // newcomer's socket. A number drawn from a wide range seldom meets a recent one.
    std::mt19937 pick(std::random_device{}());
    std::uniform_int_distribution<int> numbers(200, 999);
    for (int attempt = 0; attempt < 8 && display_.isEmpty(); ++attempt) {
        const QString n = QString::number(numbers(pick));
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) ||
            QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            continue;
        xvfb_.process().setStandardErrorFile(log, QIODevice::Append);
        // -noreset: no server reset between short-lived clients.
        xvfb_.start(
            QStringLiteral("Xvfb"),
            {u':' + n, QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
             QStringLiteral("0"), screen, QStringLiteral("-nolisten"), QStringLiteral("tcp"),
             QStringLiteral("-noreset")});
        // The number comes once it takes connections; a number in use ends it instead.
        if (xvfb_.read_line(10000) == n) {
            display_ = u':' + n;
        } else {
            xvfb_.stop(1000);
        }
    }
}

}  // namespace support
