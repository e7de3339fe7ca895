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

// An output that failed part way: its first written() bytes went out.
class OutputError : public ControlError {
  public:
    OutputError(const std::string& what, long long written)
        : ControlError(what), written_(written) {}
    long long written() const { return written_; }

  private:
    long long written_;
};

}  // namespace platform
