#pragma once

#include "platform/control_error.h"

// The serial port would not open. what() is what the operator is told, in UTF-8: the port
// name as configured, its device and why, in Japanese.
class PortFailure : public platform::ControlError {
  public:
    using ControlError::ControlError;
};
