#pragma once

#include "platform/help_viewer.h"

namespace platform {

// No help viewer exists on this platform; the quit request has nobody to reach.
class HelpViewerNone final : public HelpViewer {
  public:
    void quit(const QString&) override {}
};

}  // namespace platform
