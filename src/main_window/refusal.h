#pragma once

#include <QString>
#include <utility>

// Why the station did not do what it was asked: the operator's message, and whether the
// request was refused or could not reach the rotator.
struct Refusal {
    QString message;
    bool not_delivered = false;

    Refusal(QString text, bool undelivered = false)  // NOLINT: a message alone is a refusal
        : message(std::move(text)), not_delivered(undelivered) {}
};
