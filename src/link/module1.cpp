#include "link/module1.h"

#include <algorithm>
#include <exception>

#include "config/log_file.h"
#include "link/commands.h"
#include "link/hex.h"
#include "platform/control_error.h"

Module1::Module1(platform::Services& services) : services_(services) {}

QString Module1::get_ini_value(const QString& key, const QString& section, const QString& file) {
    return services_.profile.get_private_profile_string(section, key, QStringLiteral("ERROR"), 255,
                                                        file);
}

bool Module1::put_ini_value(const QString& value, const QString& key, const QString& section,
                            const QString& file) {
    return services_.profile.write_private_profile_string(section, key, value, file);
}

QString Module1::ini_file() const {
    return services_.program_dir.file(QStringLiteral("azelrot.ini"));
}

QString Module1::setting(const SettingKey& key) {
    const QString value = get_ini_value(key.key, key.section, ini_file());
    return value == QStringLiteral("ERROR") ? key.fallback : value;
}

bool Module1::store_setting(const SettingKey& key, const QString& value) {
    return put_ini_value(value, key.key, key.section, ini_file());
}

void Module1::wait_with_events(float seconds) {
    auto& clock = services_.clock;
    const double end = clock.monotonic_seconds() + seconds;
    for (double now = clock.monotonic_seconds(); now <= end; now = clock.monotonic_seconds()) {
        clock.run_events(std::max(end - now, 0.001));
    }
}

void Module1::wait_busy(float seconds) {
    auto& clock = services_.clock;
    const double end = clock.monotonic_seconds() + seconds;
    for (double now = clock.monotonic_seconds(); now <= end; now = clock.monotonic_seconds()) {
        clock.sleep(std::max(end - now, 0.001));
    }
}

bool Module1::put_data(const QString& command) {
    write_log(QStringLiteral("put_data : ") + command);
    const qsizetype pairs = command.size() / 2;
    qsizetype i = 0;  // the first byte not known to be out
    try {
        QByteArray bytes(pairs, '\0');
        for (qsizetype k = 0; k < pairs; ++k) {
            std::uint8_t b = 0;
            hex_to_byte(QStringView(command).mid(2 * k, 2), b);
            bytes[k] = static_cast<char>(b);
        }
        if (!commands_go_over_board()) {
            // One write for the command: a write and a flush per byte cost more than the rest
            // of a poll.
            if (!bytes.isEmpty()) services_.serial.set_output(bytes);
        } else {
            for (i = 0; i < bytes.size(); ++i) services_.board.send(bytes.mid(i, 1));
            if (!bytes.isEmpty()) wait_busy(0.3F);
        }
    } catch (const std::exception& e) {  // a control's refusal or anything else it throws
        if (const auto* partial = dynamic_cast<const platform::OutputError*>(&e))
            i = static_cast<qsizetype>(partial->written());
        write_log(QStringLiteral("put_data err : ") + command + u' ' + QString::number(i));
        return false;
    }
    // Whatever went out went over an open link.
    if (pairs > 0) link.opened(now());
    if (command == cmd::poll_position) link.poll_sent(now());
    return true;
}

void Module1::write_log(const QString& message) {
    if (switched_off(debug_flag)) return;
    const auto& dir = services_.program_dir;
    append_log_line(dir.file(QStringLiteral("azelrot.log")),
                    dir.file(QStringLiteral("azelrot_bak.log")), services_.clock.now_local(),
                    message);
}
