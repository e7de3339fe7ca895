#pragma once

#include <QString>

namespace platform {

// Client end of the tracking program's links, one conversation per text box.
// Every failure throws ControlError.
class DdeClient {
public:
    virtual ~DdeClient() = default;

    // topic is "SERVICE|TOPIC"; the link is manual (values are asked for).
    virtual void link_setup(const QString& box, const QString& topic, const QString& item) = 0;
    // The item's current value; fails when the box has no working link.
    virtual QString request(const QString& box) = 0;
    virtual void end_link(const QString& box) = 0;
};

}  // namespace platform
