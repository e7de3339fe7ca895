#pragma once

#include "platform/program_dir.h"
#include "platform/program_dir_choice.h"

namespace platform {

// A program folder and the user's environment as found now.
ProgramDirFacts program_dir_facts(const QString& program_dir);

// Makes the per-user settings folder when it is missing. Why it cannot keep the settings,
// for the operator (where they would go, what stands in the way); empty when it can.
// `origin` says where the folder's name came from, when that may explain it.
QString make_settings_dir(const QString& dir, const QString& origin);

// The folder of this run's settings and log, chosen once at start; a per-user folder is
// created then.
class ProgramDirApp final : public ProgramDir {
  public:
    ProgramDirApp();
    QString path() const override { return path_; }
    QString problem() const override;

  private:
    ProgramDirFacts facts_;
    QString path_;
    bool usable_ = true;
};

}  // namespace platform
