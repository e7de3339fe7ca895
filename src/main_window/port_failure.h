#pragma once

#include "platform/control_error.h"

// The serial port would not open. what() is the line the operator reads under the start-up
// message: the port name as configured, its device and the system's reason, in UTF-8
// ("COM1 (/dev/ttyS0): No such file or directory").
class PortFailure : public platform::ControlError {
  public:
    using ControlError::ControlError;
};
