#pragma once

#include <QString>

// Every value the program keeps in azelrot.ini: its section, its key, and what is used when the
// file, the section or the key is missing.
struct SettingKey {
    QString section;
    QString key;
    QString fallback;
};

namespace settings_key {
inline const SettingKey orbx_link{QStringLiteral("GS232B"), QStringLiteral("ORBX"),
                                  QStringLiteral("0")};
inline const SettingKey picnic_mode{QStringLiteral("GS232B"), QStringLiteral("PICNIC"),
                                    QStringLiteral("0")};
inline const SettingKey port_name{QStringLiteral("GS232B"), QStringLiteral("PORT"),
                                  QStringLiteral("COM1")};
inline const SettingKey cycle_seconds{QStringLiteral("GS232B"), QStringLiteral("TIMER"),
                                      QStringLiteral("1")};
inline const SettingKey azimuth_origin{QStringLiteral("HOUI"), QStringLiteral("HKITEN"),
                                       QStringLiteral("0")};
inline const SettingKey target_kind{QStringLiteral("EISEI"), QStringLiteral("SAT"),
                                    QStringLiteral("0")};
inline const SettingKey board_address{QStringLiteral("TCP/IP"), QStringLiteral("IP"),
                                      QStringLiteral("192.168.0.200")};
// Empty: not set; the azimuth scale is then 360 degrees and the key is not written.
inline const SettingKey azimuth_range{QStringLiteral("GS232B"), QStringLiteral("AZRANGE"),
                                      QString()};
inline const SettingKey threshold{QStringLiteral("GS232B"), QStringLiteral("THRESHOLD"),
                                  QStringLiteral("0")};
inline const SettingKey idle_poll{QStringLiteral("GS232B"), QStringLiteral("IDLEPOLL"),
                                  QStringLiteral("0")};
inline const SettingKey park_azimuth{QStringLiteral("PARK"), QStringLiteral("AZ"),
                                     QStringLiteral("0")};
inline const SettingKey park_elevation{QStringLiteral("PARK"), QStringLiteral("EL"),
                                       QStringLiteral("0")};
// The station's position in decimal degrees, north and east positive; empty: not set.
inline const SettingKey station_latitude{QStringLiteral("STATION"), QStringLiteral("LAT"),
                                         QString()};
inline const SettingKey station_longitude{QStringLiteral("STATION"), QStringLiteral("LON"),
                                          QString()};
// "ja" or "en": the window's language whatever the locale; empty: the locale decides.
inline const SettingKey language{QStringLiteral("GS232B"), QStringLiteral("LANGUAGE"), QString()};
// "top:left" in twips.
inline const SettingKey window_position{
    QStringLiteral("WIN_POSITION"), QStringLiteral("GS232B_TOP_LEFT"), QStringLiteral("4600:6000")};
// A device for a port name "COMn"; none when missing.
inline SettingKey serial_device(int number) {
    return {QStringLiteral("COMPORTS"), QStringLiteral("COM%1").arg(number), QString()};
}
}  // namespace settings_key

// Switch-like settings hold "1" or "0". Anything else is neither on nor off: each use keeps
// its own reading of such a value.
inline bool switched_on(const QString& value) {
    return value == QLatin1String("1");
}
inline bool switched_off(const QString& value) {
    return value == QLatin1String("0");
}
inline QString switch_text(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
