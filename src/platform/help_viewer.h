#pragma once

#include <QString>

namespace platform {

class HelpViewer {
  public:
    virtual ~HelpViewer() = default;

    // Asks a viewer showing help_file to quit; the answer is not looked at.
    virtual void quit(const QString& help_file) = 0;
};

}  // namespace platform
