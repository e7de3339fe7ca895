#pragma once

#include <memory>

#include "platform/services.h"

namespace platform {

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
