#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace platform {

// A platform control (serial port, board, DDE link) refused an operation.
// Callers trap it where they must carry on; it never crosses a procedure boundary.
class ControlError : public std::runtime_error {
  public:
    explicit ControlError(const std::string& what) : std::runtime_error(what) {}
};

// A request not answered in the time its batch had left: the partner is slow, not failed.
class OutOfTime : public ControlError {
  public:
    using ControlError::ControlError;
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

// Why a serial port would not open.
enum class OpenFailure { not_found, no_permission, in_use, other };

// A serial port that would not open. group: the group owning the device when access was
// refused, so the operator can be told which group to join.
class PortOpenError : public ControlError {
  public:
    PortOpenError(const std::string& what, OpenFailure failure, std::string group = {})
        : ControlError(what), failure_(failure), group_(std::move(group)) {}
    OpenFailure failure() const { return failure_; }
    const std::string& group() const { return group_; }

  private:
    OpenFailure failure_;
    std::string group_;
};

}  // namespace platform
