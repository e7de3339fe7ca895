#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Debug log lines and their one-generation rotation.

inline constexpr qint64 log_rotate_bytes = 1'000'000;

// "yy年mm月dd日　hh時mm分ss秒" (the blank in the middle is U+3000).
QString log_stamp(const QDateTime& when);

// Stamp, two blanks, the message unchanged, CR LF; UTF-8.
QByteArray log_line(const QDateTime& when, const QString& message);

// Appends one line to log_path, first moving a log of log_rotate_bytes or more to
// backup_path (replacing an older backup). Never throws; false when the line was not written.
bool append_log_line(const QString& log_path, const QString& backup_path, const QDateTime& when,
                     const QString& message) noexcept;
