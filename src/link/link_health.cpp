#include "link/link_health.h"

QString link_state_name(LinkState state) {
    switch (state) {
        case LinkState::up:
            return QStringLiteral("up");
        case LinkState::silent:
            return QStringLiteral("silent");
        case LinkState::down:
            return QStringLiteral("down");
    }
    return {};
}

void LinkHealth::opened(double t) {
    if (open_) return;
    open_ = true;
    why_.clear();
    up_since_ = t;
    waiting_since_.reset();
    position_at_.reset();
}

void LinkHealth::lost(double, const QString& why) {
    open_ = false;
    why_ = why;
    waiting_since_.reset();
    position_at_.reset();
}

void LinkHealth::poll_sent(double t) {
    if (open_ && !waiting_since_) waiting_since_ = t;
}

void LinkHealth::reply_arrived(double t, bool position) {
    if (!open_) return;
    // A position from before the silence says nothing about where the antenna is now.
    if (state(t) == LinkState::silent) up_since_ = t;
    waiting_since_.reset();
    if (position) position_at_ = t;
}

LinkState LinkHealth::state(double t) const {
    if (!open_) return LinkState::down;
    if (waiting_since_ && t - *waiting_since_ > reply_limit_seconds) return LinkState::silent;
    return LinkState::up;
}

bool LinkHealth::position_known(double t) const {
    return state(t) == LinkState::up && position_at_ && *position_at_ >= up_since_;
}
