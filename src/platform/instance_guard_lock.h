#pragma once

#include <QLockFile>
#include <memory>

#include "platform/instance_guard.h"

namespace platform {

// One running copy per program file: a lock file named after the program's path, held for
// the whole run. A lock left by a crashed copy is taken over (its process is gone).
class InstanceGuardLock final : public InstanceGuard {
  public:
    explicit InstanceGuardLock(const QString& program_path);
    bool another_instance_running() override;

  private:
    QString lock_path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace platform
