#pragma once

// Client end of DDE conversations over DDEML, one conversation per box. Plain C++ so it
// builds without the window toolkit; texts are in the ANSI code page, as CF_TEXT carries them.
// Every failure throws platform::ControlError.

#include <windows.h>
// windows.h first: ddeml.h relies on its types.
#include <ddeml.h>

#include <map>
#include <string>

#include "platform/control_error.h"

namespace platform::win32 {

class DdeClientWin32 {
  public:
    // Longest wait for an answer to one request.
    static constexpr unsigned long timeout_ms = 1000;

    DdeClientWin32();
    ~DdeClientWin32();
    DdeClientWin32(const DdeClientWin32&) = delete;
    DdeClientWin32& operator=(const DdeClientWin32&) = delete;

    // topic is "SERVICE|TOPIC"; any earlier conversation of the box is ended first.
    void link_setup(const std::string& box, const std::string& topic, const std::string& item);
    // The item's current value as text; fails when the box has no conversation.
    std::string request(const std::string& box);
    void end_link(const std::string& box);

  private:
    struct Conversation {
        HCONV conversation = nullptr;
        HSZ item = nullptr;
    };

    void ensure_initialised();
    void release(Conversation& c);

    DWORD instance_ = 0;  // 0 until DDEML is initialised
    std::map<std::string, Conversation> conversations_;
};

// "SERVICE|TOPIC" split at the first bar; false when there is no bar or a part is empty.
bool split_topic(const std::string& topic, std::string& service, std::string& name);

}  // namespace platform::win32
