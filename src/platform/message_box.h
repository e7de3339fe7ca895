#pragma once

#include <QString>

namespace platform {

class MessageBox {
  public:
    virtual ~MessageBox() = default;

    // Modal, OK button only, no icon, the program's own title.
    virtual void show(const QString& text) = 0;
    virtual void beep() = 0;
};

}  // namespace platform
