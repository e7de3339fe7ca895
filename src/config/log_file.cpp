#include "config/log_file.h"

#include <QFile>
#include <QFileInfo>

QString log_stamp(const QDateTime& when) {
    return when.toString(QStringLiteral("yy年MM月dd日　HH時mm分ss秒"));
}

QByteArray log_line(const QDateTime& when, const QString& message) {
    return (log_stamp(when) + QStringLiteral("  ") + message + QStringLiteral("\r\n")).toUtf8();
}

bool append_log_line(const QString& log_path, const QString& backup_path, const QDateTime& when,
                     const QString& message) noexcept {
    try {
        const QFileInfo info(log_path);
        if (info.exists() && info.size() >= log_rotate_bytes) {
            if (QFile::exists(backup_path)) QFile::remove(backup_path);
            QFile::rename(log_path, backup_path);
        }
        QFile file(log_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
        const QByteArray line = log_line(when, message);
        return file.write(line) == line.size();
    } catch (...) {
        // A log that cannot be written must never stop the caller.
        return false;
    }
}
