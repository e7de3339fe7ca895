#pragma once

// Client end of DDE conversations over DDEML, one conversation per box, each in a DDEML
// instance of its own. Plain C++ so it builds without the window toolkit. Every failure
// throws platform::ControlError.
//
// Texts cross this interface in UTF-8. On the wire they are CF_TEXT in the system ANSI code
// page (CP_ACP): the tracking program is an ANSI program and writes its values in the page of
// the machine it runs on, which is also the page this client runs in (932 on a Japanese
// Windows).

#include <windows.h>
// windows.h first: ddeml.h relies on its types.
#include <ddeml.h>

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/control_error.h"

namespace platform::win32 {

struct DdeTiming {
    // Longest wait for an answer to one request.
    unsigned long timeout_ms = 1000;
    // A service that let a request or a connection time out is left alone this long: every
    // call to it fails at once instead of freezing the window again for each of the boxes.
    unsigned long hold_off_ms = 5000;
};

class DdeClientWin32 {
  public:
    explicit DdeClientWin32(DdeTiming timing = {});
    // Ends every conversation still open.
    ~DdeClientWin32();
    DdeClientWin32(const DdeClientWin32&) = delete;
    DdeClientWin32& operator=(const DdeClientWin32&) = delete;

    // topic is "SERVICE|TOPIC"; any earlier conversation of the box is ended first, except while
    // the service is left alone after a timeout, when the call fails at once.
    void link_setup(const std::string& box, const std::string& topic, const std::string& item);
    // The item's current value; fails when the box has no conversation.
    std::string request(const std::string& box);
    // Does not wait for a partner that has stopped answering: its conversation is left open.
    void end_link(const std::string& box);
    // Until the matching end_batch, requests share budget_ms: the first waits the full
    // timeout, each later one at most what is left. One that what is left cannot cover (less
    // than the partner's last answer took) is not made, and one cut short is given up; both
    // throw OutOfTime. A begin inside a batch keeps the outer budget.
    void begin_batch(unsigned long budget_ms);
    void end_batch();

  private:
    class Conversation;
    using Clock = std::chrono::steady_clock;

    bool held_off(const std::string& service) const;
    void check_not_held_off(const std::string& service) const;

    DdeTiming timing_;
    std::map<std::string, std::unique_ptr<Conversation>> conversations_;  // by box
    std::map<std::string, Clock::time_point> timed_out_;  // service -> its last timeout
    // Services whose last request was cut short by a batch's budget: the partner may still be
    // busy with it, so the next request's timeout does not prove it hung.
    std::set<std::string> cut_short_;
    std::map<std::string, long long> answer_ms_;  // service -> how long its last answer took
    int batch_depth_ = 0;
    int batch_requests_ = 0;
    Clock::time_point batch_end_;
};

// "SERVICE|TOPIC" split at the first bar; false when there is no bar or a part is empty.
bool split_topic(const std::string& topic, std::string& service, std::string& name);

// Between UTF-8 and the system ANSI code page; characters the page lacks become '?'.
std::string ansi_from_utf8(const std::string& text);
std::string utf8_from_ansi(const std::string& text);

}  // namespace platform::win32
