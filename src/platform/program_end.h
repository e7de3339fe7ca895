#pragma once

namespace platform {

// Ends the whole program at once: no further window events run.
class ProgramEnd {
  public:
    virtual ~ProgramEnd() = default;

    virtual void end_program() = 0;
    virtual bool ended() const = 0;
};

}  // namespace platform
