#include "platform/real_services.h"

#include "platform/board_control_tcp.h"
#include "platform/clock_system.h"
#include "platform/dde_client_dbus.h"
#include "platform/dde_client_win32_qt.h"
#include "platform/help_viewer_none.h"
#include "platform/instance_guard_lock.h"
#include "platform/message_box_qt.h"
#include "platform/profile_store_file.h"
#include "platform/program_dir_app.h"
#include "platform/program_end_qt.h"
#include "platform/serial_control_qt.h"

namespace platform {

quint16 board_tcp_port(ProfileStore& profile, const ProgramDir& dir) {
    const QString text = profile.get_private_profile_string(
        QStringLiteral("TCP/IP"), QStringLiteral("PORT"), QStringLiteral("10001"), 255,
        dir.file(QStringLiteral("azelrot.ini")));
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    return ok && port > 0 && port < 65536 ? static_cast<quint16>(port) : quint16(10001);
}

struct RealServices::Parts {
    ProfileStoreFile profile;
    ProgramDirApp program_dir;
    SerialControlQt serial;
    BoardControlTcp board{[this] { return board_tcp_port(profile, program_dir); }};
#ifdef _WIN32
    DdeClientWin32Qt dde;
#else
    DdeClientDbus dde;
#endif
    ClockSystem clock;
    MessageBoxQt message_box;
    // One copy per settings folder: a station folder, or one per user for an installed copy.
    InstanceGuardLock instance_guard{program_dir.path()};
    HelpViewerNone help_viewer;
    ProgramEndQt program_end;
};

RealServices::RealServices() : parts_(std::make_unique<Parts>()) {
    Parts& p = *parts_;
    services_ = std::make_unique<Services>(Services{p.serial, p.board, p.dde, p.profile, p.clock,
                                                    p.message_box, p.instance_guard, p.program_dir,
                                                    p.help_viewer, p.program_end});
}

RealServices::~RealServices() = default;

}  // namespace platform
