#include "support/tools.h"

#include <QFile>
#include <QStandardPaths>

namespace support {

QString tool(const QString& name) {
    if (name.startsWith(QStringLiteral("AZELROT_"))) {
        const QString path = qEnvironmentVariable(name.toLatin1().constData());
        return QFile::exists(path) ? path : QString();
    }
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty()) {
        // Daemons such as ser2net live where a user's PATH may not reach.
        found = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                   QStringLiteral("/usr/local/sbin"), QStringLiteral("/usr/local/bin")});
    }
    return found;
}

QString missing(const QStringList& needs) {
    QStringList absent;
    for (const QString& name : needs) {
        if (tool(name).isEmpty()) absent << name;
    }
    return absent.join(u' ');
}

bool tools_required() {
    return !qEnvironmentVariableIsEmpty("AZELROT_E2E_REQUIRED");
}

}  // namespace support
