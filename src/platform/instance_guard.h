#pragma once

namespace platform {

class InstanceGuard {
  public:
    virtual ~InstanceGuard() = default;

    // True when another copy of this program is already running.
    virtual bool another_instance_running() = 0;
};

}  // namespace platform
