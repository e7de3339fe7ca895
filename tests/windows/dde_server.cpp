// Stands in for the tracking program on Windows: a DDEML server of service "ORBX", topic "EXTRN",
// answering CF_TEXT requests from a values file.
//
//   dde_server.exe --values FILE [--refuse ITEM] [--hang ITEM] [--hang-ms N] [--slow-ms N]
//                  [--stop FILE] [--ready FILE] [--log FILE] [--lifetime-ms N]
//
// --values   UTF-8 lines ITEM=VALUE, read again for every request; item names match exactly,
//            case included. Values go out in the system ANSI code page, as an ANSI program
//            writes them.
// --refuse   that item is never answered (the request fails at once).
// --hang     a request for that item stops the whole server for --hang-ms (default 4000)
//            before it is answered, as a tracking program that has stopped handling messages.
// --slow-ms  every request is answered this late: a busy program, not a hung one.
// --stop     once this file exists the server ends: cleanly (unregistering the service and
//            closing its conversations), or, when the file holds "crash", at once without any
//            of that.
// --ready    written once the service is registered.
// --log      one line per event: "ready", "connect TOPIC", "request ITEM ok|refused|hung|unknown",
//            "exit", "crash".
// --lifetime-ms  ends the server regardless after this long (default 30000), so a forgotten
//            one never outlives its test.

#include <windows.h>
// windows.h first: ddeml.h relies on its types.
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

struct Options {
    std::string service = "ORBX";
    std::string topic = "EXTRN";
    std::string values;
    std::string refuse;
    std::string hang;
    unsigned long hang_ms = 4000;
    unsigned long slow_ms = 0;
    std::string stop;
    std::string ready;
    std::string log;
    unsigned long lifetime_ms = 30000;
};

// The one server of this process; DDEML calls back without a context pointer.
struct Server {
    Options options;
    DWORD instance = 0;
    HSZ service = nullptr;
    HSZ topic = nullptr;
} g_server;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool file_exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void log_line(const std::string& line) {
    if (g_server.options.log.empty()) return;
    std::ofstream out(g_server.options.log, std::ios::binary | std::ios::app);
    out << line << '\n';
}

std::map<std::string, std::string> read_values(const std::string& path) {
    std::map<std::string, std::string> values;
    std::istringstream lines(read_file(path));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string::size_type eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

std::string ansi_from_utf8(const std::string& text) {
    if (text.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    const int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), n, ansi.data(), m, nullptr, nullptr);
    return ansi;
}

std::string string_of(HSZ handle) {
    char text[256] = {};
    DdeQueryStringA(g_server.instance, handle, text, sizeof text, CP_WINANSI);
    return text;
}

HDDEDATA answer_request(HSZ item_handle, UINT format) {
    const std::string item = string_of(item_handle);
    if (format != CF_TEXT) {
        log_line("request " + item + " format " + std::to_string(format));
        return nullptr;
    }
    if (item == g_server.options.refuse) {
        log_line("request " + item + " refused");
        return nullptr;
    }
    if (g_server.options.slow_ms > 0) Sleep(g_server.options.slow_ms);
    if (item == g_server.options.hang) {
        log_line("request " + item + " hung");
        Sleep(g_server.options.hang_ms);
    }
    const auto values = read_values(g_server.options.values);
    const auto it = values.find(item);
    if (it == values.end()) {
        log_line("request " + item + " unknown");
        return nullptr;
    }
    log_line("request " + item + " ok");
    const std::string text = ansi_from_utf8(it->second);
    // CF_TEXT carries its closing NUL.
    return DdeCreateDataHandle(g_server.instance,
                               reinterpret_cast<LPBYTE>(const_cast<char*>(text.c_str())),
                               static_cast<DWORD>(text.size() + 1), 0, item_handle, CF_TEXT, 0);
}

HDDEDATA CALLBACK callback(UINT type, UINT format, HCONV, HSZ topic, HSZ item, HDDEDATA, ULONG_PTR,
                           ULONG_PTR) {
    switch (type) {
        case XTYP_CONNECT:
            if (DdeCmpStringHandles(topic, g_server.topic) != 0) return nullptr;
            log_line("connect " + string_of(topic));
            return reinterpret_cast<HDDEDATA>(TRUE);
        case XTYP_REQUEST:
            return answer_request(item, format);
        default:
            return nullptr;
    }
}

bool parse(int argc, char** argv, Options& options) {
    const std::map<std::string, std::string Options::*> texts{
        {"--values", &Options::values}, {"--refuse", &Options::refuse}, {"--hang", &Options::hang},
        {"--stop", &Options::stop},     {"--ready", &Options::ready},   {"--log", &Options::log}};
    const std::map<std::string, unsigned long Options::*> numbers{
        {"--hang-ms", &Options::hang_ms},
        {"--slow-ms", &Options::slow_ms},
        {"--lifetime-ms", &Options::lifetime_ms}};
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (const auto text = texts.find(name); text != texts.end()) {
            options.*(text->second) = argv[i + 1];
        } else if (const auto number = numbers.find(name); number != numbers.end()) {
            options.*(number->second) = std::strtoul(argv[i + 1], nullptr, 10);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !options.values.empty();
}

// Polls the stop file; true when the server should end cleanly.
bool stop_requested() {
    const std::string& stop = g_server.options.stop;
    if (stop.empty() || !file_exists(stop)) return false;
    if (read_file(stop).rfind("crash", 0) == 0) {
        log_line("crash");
        ExitProcess(3);
    }
    return true;
}

void run_until_stopped() {
    const ULONGLONG end = GetTickCount64() + g_server.options.lifetime_ms;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) {
            if (stop_requested() || GetTickCount64() >= end) break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    KillTimer(nullptr, timer);
}

}  // namespace

int main(int argc, char** argv) {
    Options& options = g_server.options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: dde_server.exe --values FILE [--refuse ITEM] [--hang ITEM] "
                     "[--hang-ms N] [--slow-ms N] [--stop FILE] [--ready FILE] [--log FILE] "
                     "[--lifetime-ms N]\n");
        return 2;
    }
    const UINT result =
        DdeInitializeA(&g_server.instance, callback,
                       APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS |
                           CBF_FAIL_POKES | CBF_FAIL_EXECUTES | CBF_FAIL_ADVISES,
                       0);
    if (result != DMLERR_NO_ERROR) {
        std::fprintf(stderr, "DdeInitialize failed (%u)\n", result);
        return 1;
    }
    g_server.service =
        DdeCreateStringHandleA(g_server.instance, options.service.c_str(), CP_WINANSI);
    g_server.topic = DdeCreateStringHandleA(g_server.instance, options.topic.c_str(), CP_WINANSI);
    if (DdeNameService(g_server.instance, g_server.service, nullptr, DNS_REGISTER) == nullptr) {
        std::fprintf(stderr, "cannot register %s\n", options.service.c_str());
        return 1;
    }
    if (!options.ready.empty()) std::ofstream(options.ready) << "ready\n";
    log_line("ready");

    run_until_stopped();

    log_line("exit");
    DdeNameService(g_server.instance, g_server.service, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(g_server.instance, g_server.service);
    DdeFreeStringHandle(g_server.instance, g_server.topic);
    DdeUninitialize(g_server.instance);
    return 0;
}
