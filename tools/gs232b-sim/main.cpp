#include <cstdio>
#include <string>
#include <vector>

#include "sim_options.h"
#include "sim_server.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const gs232b::ParsedArgs parsed = gs232b::parse_args(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "gs232b-sim: %s (see --help)\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.help) {
        std::fputs(gs232b::help_text("gs232b-sim").c_str(), stdout);
        return 0;
    }
    gs232b::SimServer server(parsed.options);
    if (!server.start()) return 1;
    return server.run();
}
