#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gs232b_model.h"

namespace gs232b {

// Switches that may change while the simulator runs (command line and control channel).
struct Faults {
    bool pacing = true;
    int split_ms = 0;
    bool mute = false;
    bool garbage = false;
    int drop_tcp_after = 0;  // 0: never
};

struct SimOptions {
    ModelSettings model;
    Faults faults;
    int baud = 9600;
    std::string link;
    std::string log;
    std::string control;
    std::optional<int> tcp_port;
};

struct ParsedArgs {
    SimOptions options;
    bool help = false;
    std::string error;  // empty when the arguments are good
};

ParsedArgs parse_args(const std::vector<std::string>& args);

std::string help_text(std::string_view program);

// Applies one control-channel line such as "mute on" or "split-reply 40". A "position AZ,EL"
// line fills place instead. Returns an error text, empty when the line was accepted.
std::string apply_control_line(std::string_view line, Faults& faults,
                               std::optional<Position>& place);

}  // namespace gs232b
