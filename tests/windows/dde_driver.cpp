// Drives the DDEML client the way the main window does: eleven boxes, each its own manual
// conversation with "ORBX|EXTRN", set up, asked for its value, ended.
//
//   dde_driver.exe [--timeout-ms N] [--hold-off-ms N] STEP...
//
// Steps run in order:
//   acp          prints "acp PAGE", the system ANSI code page
//   setup        sets up the link of every box, in the window's order
//   request      requests every box once, in the window's order
//   refresh      as the window's periodic refresh: requests in order until one fails, then
//                sets up the test link (Text1), sets up and requests every box again; prints
//                "relink" before that and "refresh MS" at the end
//   end          ends every link, in the window's closing order
//   signal:FILE  creates FILE, telling the test to go on
//   await:FILE   waits for FILE (at most 30 s), handling window messages meanwhile as the
//                window's event loop would
//   pump:MS      handles window messages for MS milliseconds
//
// "step STEP" opens the lines of each step; then one line per operation, fields separated by
// blanks:
//   setup BOX ITEM ok MS            setup BOX ITEM fail MS WHY...
//   request BOX ITEM ok MS HEX      request BOX ITEM fail MS WHY...
//   end BOX ok MS                   end BOX fail MS WHY...
// HEX is the value in UTF-8 as hex digits ("-" for an empty value), so any text survives the
// console. Exit 0 unless a step could not run (an unknown step, an await that ran out).

#include <windows.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/dde_client_win32.h"

namespace {

struct Binding {
    const char* box;
    const char* item;
};

// As the main window binds its boxes, items spelled exactly as the tracking program does.
constexpr std::array<Binding, 11> bindings{{
    {"Text1", "TEXT1"},
    {"Text3", "TEXT2"},
    {"Text4", "TEXT3"},
    {"Text5", "TEXT4"},
    {"Text8", "TEXT5"},
    {"Text7", "TEXT6"},
    {"Text6", "TEXT7"},
    {"Text12", "text8"},
    {"Text13", "text9"},
    {"Text14", "text10"},
    {"Text15", "text11"},
}};

constexpr std::array<const char*, 11> closing_order{"Text1",  "Text3",  "Text4", "Text5",
                                                    "Text6",  "Text7",  "Text8", "Text12",
                                                    "Text13", "Text14", "Text15"};

constexpr const char* link_topic = "ORBX|EXTRN";

using Clock = std::chrono::steady_clock;

long long ms_since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string hex_of(const std::string& text) {
    if (text.empty()) return "-";
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const unsigned char c : text) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

void pump_messages(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

bool await_file(const std::string& path) {
    const ULONGLONG end = GetTickCount64() + 30000;
    while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() >= end) return false;
        pump_messages(10);
    }
    return true;
}

void setup(platform::win32::DdeClientWin32& client, const Binding& b) {
    const auto start = Clock::now();
    try {
        client.link_setup(b.box, link_topic, b.item);
        std::printf("setup %s %s ok %lld\n", b.box, b.item, ms_since(start));
    } catch (const platform::ControlError& e) {
        std::printf("setup %s %s fail %lld %s\n", b.box, b.item, ms_since(start), e.what());
    }
}

void setup_all(platform::win32::DdeClientWin32& client) {
    for (const Binding& b : bindings) setup(client, b);
}

// True when the box's value came back.
bool request(platform::win32::DdeClientWin32& client, const Binding& b) {
    const auto start = Clock::now();
    try {
        const std::string value = client.request(b.box);
        std::printf("request %s %s ok %lld %s\n", b.box, b.item, ms_since(start),
                    hex_of(value).c_str());
        return true;
    } catch (const platform::ControlError& e) {
        std::printf("request %s %s fail %lld %s\n", b.box, b.item, ms_since(start), e.what());
        return false;
    }
}

void request_all(platform::win32::DdeClientWin32& client) {
    for (const Binding& b : bindings) request(client, b);
}

// As the window's periodic refresh: the first failure ends the round, sets up the test link
// and then re-links every box.
void refresh(platform::win32::DdeClientWin32& client) {
    for (const Binding& b : bindings) {
        if (request(client, b)) continue;
        std::printf("relink\n");
        setup(client, bindings.front());  // the test link
        setup_all(client);
        request_all(client);
        return;
    }
}

void end_all(platform::win32::DdeClientWin32& client) {
    for (const char* box : closing_order) {
        const auto start = Clock::now();
        try {
            client.end_link(box);
            std::printf("end %s ok %lld\n", box, ms_since(start));
        } catch (const platform::ControlError& e) {
            std::printf("end %s fail %lld %s\n", box, ms_since(start), e.what());
        }
    }
}

bool starts_with(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool run_step(platform::win32::DdeClientWin32& client, const std::string& step) {
    std::printf("step %s\n", step.c_str());
    if (step == "acp") {
        std::printf("acp %u\n", GetACP());
    } else if (step == "setup") {
        setup_all(client);
    } else if (step == "request") {
        request_all(client);
    } else if (step == "refresh") {
        const auto start = Clock::now();
        refresh(client);
        std::printf("refresh %lld\n", ms_since(start));
    } else if (step == "batch-refresh") {
        // As the window refreshes: every request of the round, re-link included, in one budget.
        const auto start = Clock::now();
        client.begin_batch(1000);
        refresh(client);
        client.end_batch();
        std::printf("refresh %lld\n", ms_since(start));
    } else if (step == "end") {
        end_all(client);
    } else if (starts_with(step, "signal:")) {
        const std::string path = step.substr(7);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        CloseHandle(file);
    } else if (starts_with(step, "await:")) {
        if (!await_file(step.substr(6))) {
            std::printf("await %s ran out\n", step.substr(6).c_str());
            return false;
        }
    } else if (starts_with(step, "pump:")) {
        pump_messages(std::stoul(step.substr(5)));
    } else {
        std::printf("unknown step %s\n", step.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // Every line reaches the test at once, also while the driver waits.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    platform::win32::DdeTiming timing;
    std::vector<std::string> steps;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--timeout-ms" && i + 1 < argc) {
            timing.timeout_ms = std::stoul(argv[++i]);
        } else if (arg == "--hold-off-ms" && i + 1 < argc) {
            timing.hold_off_ms = std::stoul(argv[++i]);
        } else {
            steps.push_back(arg);
        }
    }
    platform::win32::DdeClientWin32 client(timing);
    for (const std::string& step : steps) {
        if (!run_step(client, step)) return 2;
    }
    return 0;
}
