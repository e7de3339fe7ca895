#pragma once

#include "platform/message_box.h"

namespace platform {

class MessageBoxQt final : public MessageBox {
  public:
    void show(const QString& text) override;
    void beep() override;
};

}  // namespace platform
