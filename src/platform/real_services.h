#pragma once

#include <QtGlobal>
#include <memory>

#include "platform/services.h"

namespace platform {

// TCP port of the board's serial server: key "PORT" of section "TCP/IP" in the settings
// file, 10001 when missing or not a port number. Read at every connection.
quint16 board_tcp_port(ProfileStore& profile, const ProgramDir& dir);

// The real platform services of one program run.
class RealServices {
  public:
    RealServices();
    ~RealServices();
    RealServices(const RealServices&) = delete;
    RealServices& operator=(const RealServices&) = delete;

    Services& services() { return *services_; }

  private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    std::unique_ptr<Services> services_;
};

}  // namespace platform
