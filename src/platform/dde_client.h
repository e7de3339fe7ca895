#pragma once

#include <QString>

namespace platform {

// One periodic refresh's time for all of its requests together: a tracking program that is
// slow, not hung, must not freeze the window for the sum of eleven answers.
inline constexpr int refresh_budget_ms = 1000;

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

    // Until the matching end_batch, requests share budget_ms: the first waits its full time,
    // each later one at most what is left. One that what is left cannot cover (less than the
    // partner's last answer took) is not made, and one cut short is given up; both throw
    // OutOfTime, which says nothing against the link. A begin inside a batch keeps the outer
    // budget.
    virtual void begin_batch(int budget_ms) { (void)budget_ms; }
    virtual void end_batch() {}
};

// A batch for the lifetime of the object.
class DdeBatch {
  public:
    DdeBatch(DdeClient& client, int budget_ms) : client_(client) { client_.begin_batch(budget_ms); }
    ~DdeBatch() { client_.end_batch(); }
    DdeBatch(const DdeBatch&) = delete;
    DdeBatch& operator=(const DdeBatch&) = delete;

  private:
    DdeClient& client_;
};

}  // namespace platform
