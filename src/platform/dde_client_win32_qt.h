#pragma once

// On Windows the tracking program is reached over real DDE.
#ifdef _WIN32

#include <QByteArray>

#include "platform/dde_client.h"
#include "platform/win32/dde_client_win32.h"

namespace platform {

// Hands the toolkit's texts to the DDEML client in the ANSI code page and back.
class DdeClientWin32Qt final : public DdeClient {
  public:
    void link_setup(const QString& box, const QString& topic, const QString& item) override {
        client_.link_setup(ansi(box), ansi(topic), ansi(item));
    }
    QString request(const QString& box) override {
        const std::string value = client_.request(ansi(box));
        return QString::fromLocal8Bit(QByteArray::fromStdString(value));
    }
    void end_link(const QString& box) override { client_.end_link(ansi(box)); }

  private:
    static std::string ansi(const QString& text) { return text.toLocal8Bit().toStdString(); }

    win32::DdeClientWin32 client_;
};

}  // namespace platform

#endif  // _WIN32
