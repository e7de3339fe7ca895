#pragma once

#include "platform/program_dir.h"
#include "platform/program_dir_choice.h"

namespace platform {

// A program folder and the user's environment as found now.
ProgramDirFacts program_dir_facts(const QString& program_dir);

// The folder of this run's settings and log, chosen once at start; a per-user folder is
// created then.
class ProgramDirApp final : public ProgramDir {
  public:
    ProgramDirApp();
    QString path() const override { return path_; }

  private:
    QString path_;
};

}  // namespace platform
