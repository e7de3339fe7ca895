#pragma once

#include <QString>

#include "support/child.h"

namespace support {

// A private X server (Xvfb) on a free display, ended with the test.
class XServer {
  public:
    // Its messages go to `log`.
    XServer(const QString& log, const QString& screen = QStringLiteral("1280x1024x24"));
    bool ok() const { return !display_.isEmpty(); }
    const QString& display() const { return display_; }

  private:
    Child xvfb_;
    QString display_;
};

}  // namespace support
