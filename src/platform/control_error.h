#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// A platform control (serial port, board, DDE link) refused an operation.
// Callers trap it where they must carry on; it never crosses a procedure boundary.
class ControlError : public std::runtime_error {
public:
    explicit ControlError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace platform
