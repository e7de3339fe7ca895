// A tiny program over the DDEML client: proves it links against user32 as a Windows executable.
#include <cstdio>

#include "platform/win32/dde_client_win32.h"

int main() {
    platform::win32::DdeClientWin32 client;
    try {
        client.link_setup("Text1", "ORBX|EXTRN", "TEXT1");
        const std::string value = client.request("Text1");
        client.end_link("Text1");
        std::printf("TEXT1=%s\n", value.c_str());
    } catch (const platform::ControlError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
