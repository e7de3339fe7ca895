#pragma once

#include <QString>
#include <memory>

#include "platform/instance_guard.h"

namespace platform {

// One running copy per settings folder. The lock is a file in the folder itself, so every copy
// that uses the folder finds it, by whatever path it came and whatever its environment; when
// the folder cannot hold one, a file of the user's in `fallback_dir` (by default a fixed system
// folder) named after the folder's real path. The system releases the lock when its process
// ends, so a copy that crashed locks nobody out.
class InstanceGuardLock final : public InstanceGuard {
  public:
    explicit InstanceGuardLock(const QString& settings_dir, const QString& fallback_dir = {});
    ~InstanceGuardLock() override;
    bool another_instance_running() override;

    struct Held;

  private:
    QString folder_lock_;
    QString fallback_lock_;
    std::unique_ptr<Held> held_;
};

}  // namespace platform
