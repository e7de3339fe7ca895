#pragma once

#include <QString>

// Every fixed command the program sends, as hex wire text.
namespace cmd {
inline const QString poll_position = QStringLiteral("43320D");  // C2
inline const QString empty = QStringLiteral("0D");              // CR alone; also "NO"
inline const QString stop = QStringLiteral("530D");             // S
inline const QString az_offset = QStringLiteral("4F0D");        // O
inline const QString yes = QStringLiteral("590D");              // Y
inline const QString az_full_scale = QStringLiteral("460D");    // F
inline const QString el_offset = QStringLiteral("4F320D");      // O2
inline const QString full_scale = QStringLiteral("46320D");     // F2
inline const QString range_360 = QStringLiteral("5033360D");    // P36
inline const QString range_450 = QStringLiteral("5034350D");    // P45
}  // namespace cmd
