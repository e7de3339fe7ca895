#pragma once

#include <cstdint>

// Where a controller reply belongs: the main window while running, else the step of the
// settings dialog that asked for it.
enum class OperationMode : std::int16_t {
    running = 0,             // replies show in the main window
    az_offset_asked = 1,     // "O" sent: the controller asks for confirmation
    az_offset_answered = 2,  // "Y" or a bare CR sent to that question
    az_full_scale = 3,       // "P45", "P36" or "F"
    el_offset_asked = 4,     // "O2"
    el_offset_answered = 5,  // "Y" or a bare CR sent to that question
    full_scale = 6,          // "F2"
    settings_open = 99,      // the settings dialog is open; the radar takes no clicks
};
