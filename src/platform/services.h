#pragma once

#include "platform/board_control.h"
#include "platform/clock.h"
#include "platform/dde_client.h"
#include "platform/help_viewer.h"
#include "platform/instance_guard.h"
#include "platform/message_box.h"
#include "platform/profile_store.h"
#include "platform/program_dir.h"
#include "platform/program_end.h"
#include "platform/serial_control.h"

namespace platform {

// Every platform service the program uses, handed to the windows and to Module1.
struct Services {
    SerialControl& serial;
    BoardControl& board;
    DdeClient& dde;
    ProfileStore& profile;
    Clock& clock;
    MessageBox& message_box;
    InstanceGuard& instance_guard;
    ProgramDir& program_dir;
    HelpViewer& help_viewer;
    ProgramEnd& program_end;
};

}  // namespace platform
