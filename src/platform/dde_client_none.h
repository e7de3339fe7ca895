#pragma once

#include "platform/control_error.h"
#include "platform/dde_client.h"

namespace platform {

// Every link fails: used where no tracking-program transport exists.
class DdeClientNone final : public DdeClient {
  public:
    void link_setup(const QString&, const QString&, const QString&) override { fail(); }
    QString request(const QString&) override { fail(); }
    void end_link(const QString&) override { fail(); }

  private:
    [[noreturn]] static void fail() { throw ControlError("no DDE transport"); }
};

}  // namespace platform
