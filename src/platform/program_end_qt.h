#pragma once

#include "platform/program_end.h"

namespace platform {

// Leaves the event loop at once; main() then returns without running window close steps.
class ProgramEndQt final : public ProgramEnd {
  public:
    void end_program() override;
    bool ended() const override { return ended_; }

  private:
    bool ended_ = false;
};

}  // namespace platform
