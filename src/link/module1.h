#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "config/settings_keys.h"
#include "link/link_health.h"
#include "link/operation_mode.h"
#include "platform/services.h"

// Program-wide state and the procedures every window shares. One object, created in main()
// and handed by reference to the windows.
class Module1 {
  public:
    explicit Module1(platform::Services& services);
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    // Program-wide variables; switch-like texts hold "1" or "0".
    QString window_position;
    QString orbx_link;
    QString azimuth_origin;
    QString port_name;
    QString picnic_mode;
    QString cycle_seconds;
    QString target_kind;
    QString board_address;
    std::array<QString, 4> address_octets;
    QString debug_flag = QStringLiteral("0");
    OperationMode operation_mode = OperationMode::running;
    QString command_text;

    // Settings file access; "ERROR" for anything missing.
    QString get_ini_value(const QString& key, const QString& section, const QString& file);
    bool put_ini_value(const QString& value, const QString& key, const QString& section,
                       const QString& file);
    // "azelrot.ini" in the program's directory, built afresh at every call.
    QString ini_file() const;
    // A stored setting, or the key's fallback when it is missing.
    QString setting(const SettingKey& key);
    bool store_setting(const SettingKey& key, const QString& value);

    // The rotator link: commands go over the board only for "1"; the serial port is opened
    // and replies are read from it only for "0".
    bool commands_go_over_board() const { return switched_on(picnic_mode); }
    bool serial_port_selected() const { return switched_off(picnic_mode); }
    bool orbx_linked() const { return switched_on(orbx_link); }

    // Lets window events run for the given time.
    void wait_with_events(float seconds);
    // Freezes the window for the given time (sleeps; burns no CPU).
    void wait_busy(float seconds);

    // Sends hex wire text over the transport picnic_mode selects now: in one write to the
    // serial control, byte by byte to the board. False, with the failure logged, when not all
    // of it went out.
    bool put_data(const QString& command);

    // The rotator link's health; put_data tells it of every poll that went out.
    LinkHealth link;
    double now() { return services_.clock.monotonic_seconds(); }

    // One time-stamped line in "azelrot.log" while debug_flag is not "0".
    void write_log(const QString& message);

    platform::Services& services() { return services_; }

  private:
    platform::Services& services_;
};
