#pragma once

// On Windows the tracking program is reached over real DDE.
#ifdef _WIN32

#include <QString>

#include "platform/dde_client.h"
#include "platform/win32/dde_client_win32.h"

namespace platform {

// Hands the toolkit's texts to the DDEML client in UTF-8; the client speaks the ANSI code page.
class DdeClientWin32Qt final : public DdeClient {
  public:
    void link_setup(const QString& box, const QString& topic, const QString& item) override {
        client_.link_setup(utf8(box), utf8(topic), utf8(item));
    }
    QString request(const QString& box) override {
        return QString::fromStdString(client_.request(utf8(box)));
    }
    void end_link(const QString& box) override { client_.end_link(utf8(box)); }
    void begin_batch(int budget_ms) override {
        client_.begin_batch(static_cast<unsigned long>(budget_ms < 0 ? 0 : budget_ms));
    }
    void end_batch() override { client_.end_batch(); }

  private:
    static std::string utf8(const QString& text) { return text.toStdString(); }

    win32::DdeClientWin32 client_;
};

}  // namespace platform

#endif  // _WIN32
