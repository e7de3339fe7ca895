#include "sim_options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>

namespace gs232b {

namespace {

std::optional<int> to_int(std::string_view text, int min, int max) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<double> to_double(std::string_view text, double min, double max) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value) ||
        value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<Position> to_position(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto az = to_double(text.substr(0, comma), 0, 450);
    const auto el = to_double(text.substr(comma + 1), 0, Gs232bModel::kMaxElevation);
    if (!az || !el) return std::nullopt;
    return Position{*az, *el};
}

std::optional<bool> to_on_off(std::string_view text) {
    if (text == "on") return true;
    if (text == "off") return false;
    return std::nullopt;
}

// Each valued switch: how to store its text; false when the text is not acceptable.
using Setter = std::function<bool(SimOptions&, std::string_view)>;

template <typename T>
bool store(std::optional<T> value, T& into) {
    if (!value) return false;
    into = *value;
    return true;
}

const std::map<std::string, Setter, std::less<>>& valued_switches() {
    static const std::map<std::string, Setter, std::less<>> table = {
        {"--link", [](SimOptions& o, std::string_view v) { return !(o.link = v).empty(); }},
        {"--log", [](SimOptions& o, std::string_view v) { return !(o.log = v).empty(); }},
        {"--control", [](SimOptions& o, std::string_view v) { return !(o.control = v).empty(); }},
        {"--tcp",
         [](SimOptions& o, std::string_view v) {
             const auto port = to_int(v, 0, 65535);
             if (port) o.tcp_port = *port;
             return port.has_value();
         }},
        {"--initial",
         [](SimOptions& o, std::string_view v) {
             const auto p = to_position(v);
             if (p) {
                 o.model.initial_az = p->az;
                 o.model.initial_el = p->el;
             }
             return p.has_value();
         }},
        {"--range",
         [](SimOptions& o, std::string_view v) {
             return (v == "360" || v == "450") && store(to_int(v, 360, 450), o.model.az_range);
         }},
        {"--az-speed",
         [](SimOptions& o, std::string_view v) {
             return store(to_double(v, 0.01, 1e6), o.model.az_speed);
         }},
        {"--el-speed",
         [](SimOptions& o, std::string_view v) {
             return store(to_double(v, 0.01, 1e6), o.model.el_speed);
         }},
        {"--baud",
         [](SimOptions& o, std::string_view v) { return store(to_int(v, 50, 4000000), o.baud); }},
        {"--split-reply",
         [](SimOptions& o, std::string_view v) {
             return store(to_int(v, 0, 60000), o.faults.split_ms);
         }},
        {"--drop-tcp-after",
         [](SimOptions& o, std::string_view v) {
             return store(to_int(v, 0, 1000000000), o.faults.drop_tcp_after);
         }},
    };
    return table;
}

bool apply_flag(SimOptions& o, std::string_view name) {
    bool* flag = nullptr;
    bool value = true;
    if (name == "--instant") flag = &o.model.instant;
    if (name == "--mute") flag = &o.faults.mute;
    if (name == "--garbage") flag = &o.faults.garbage;
    if (name == "--no-pacing") {
        flag = &o.faults.pacing;
        value = false;
    }
    if (flag) *flag = value;
    return flag != nullptr;
}

ParsedArgs failure(std::string message) {
    ParsedArgs result;
    result.error = std::move(message);
    return result;
}

}  // namespace

ParsedArgs parse_args(const std::vector<std::string>& args) {
    ParsedArgs result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "--help" || name == "-h") {
            result.help = true;
            continue;
        }
        const auto& table = valued_switches();
        if (const auto it = table.find(name); it != table.end()) {
            if (!value) {
                if (i + 1 >= args.size()) return failure(name + " needs a value");
                value = args[++i];
            }
            if (!it->second(result.options, *value))
                return failure("bad value for " + name + ": " + *value);
            continue;
        }
        if (value || !apply_flag(result.options, name))
            return failure("unknown argument: " + args[i]);
    }
    return result;
}

std::string apply_control_line(std::string_view line, Faults& faults,
                               std::optional<Position>& place) {
    std::istringstream in{std::string(line)};
    std::string word;
    std::string value;
    std::string extra;
    in >> word >> value >> extra;
    if (word.empty() || word[0] == '#') return {};
    if (value.empty() || !extra.empty()) return "expected: NAME VALUE";
    bool* flag = word == "mute"      ? &faults.mute
                 : word == "garbage" ? &faults.garbage
                 : word == "pacing"  ? &faults.pacing
                                     : nullptr;
    if (flag && store(to_on_off(value), *flag)) return {};
    if (word == "split-reply" && store(to_int(value, 0, 60000), faults.split_ms)) return {};
    if (word == "drop-tcp-after" && store(to_int(value, 0, 1000000000), faults.drop_tcp_after))
        return {};
    if (word == "position") {
        place = to_position(value);
        if (place) return {};
    }
    return "bad control line: " + std::string(line);
}

std::string help_text(std::string_view program) {
    std::string text = "Usage: ";
    text += program;
    text += R"( [OPTION]...
Simulates a GS-232B azimuth/elevation rotator controller on a pseudo-terminal (and
optionally on a TCP port of 127.0.0.1, as a raw network serial server).

Prints on standard output, once everything is ready:
  pty /dev/pts/N         the device a client opens (raw mode, no set-up needed)
  tcp 127.0.0.1:PORT     with --tcp

Connection:
  --link PATH            also make PATH a symlink to the device (a stale symlink is
                         replaced; removed at exit)
  --tcp PORT             serve the same controller on 127.0.0.1:PORT, one client at a
                         time (a new client replaces the old one); 0 picks a free port
  --log FILE             log every command received, one line each, flushed at once:
                         seconds since start (ms) TAB pty|tcp TAB command (without its
                         CR; CR shown as \r, backslash as \\, other non-printables \xNN)
  --control FIFO         create a named pipe taking control lines at run time (below)

Antenna:
  --initial AZ,EL        start position in degrees (default 0,0)
  --range 360|450        azimuth range at start (default 360; P36/P45 switch it)
  --az-speed DEG_S       azimuth speed, degrees per second (default 6)
  --el-speed DEG_S       elevation speed, degrees per second (default 3)
  --instant              moves arrive at once

Line and faults:
  --baud N               line speed the replies are paced at (default 9600)
  --no-pacing            send replies at once instead of at line speed
  --split-reply MS       send every reply in two parts with MS milliseconds between
  --mute                 answer nothing (commands still act)
  --garbage              answer line noise (NUL, 0xFF, random bytes) instead of replies
  --drop-tcp-after N     close a TCP connection once N commands have come in over it
                         and their replies have gone out (0: never)
  -h, --help             show this text

Control lines (one per line, written to the --control FIFO, e.g. echo mute on > FIFO):
  mute on|off            garbage on|off            pacing on|off
  split-reply MS         drop-tcp-after N          position AZ,EL (put the antenna there)

Commands (end with CR; LF ignored; either case; never echoed):
  C2 -> AZ=aaa  EL=eee CR LF    C -> AZ=aaa CR LF    B -> EL=eee CR LF
  Waaa eee  move both axes      Maaa  move azimuth    S stop  A stop az  E stop el
  R L  turn az to an end stop   U D  turn el to an end stop
  O / O2  azimuth / elevation zero offset: Y confirms (the axis then reads 0), CR declines
  F / F2  full-scale readout, CR ends it   P36 / P45  azimuth range 360 / 450 degrees
  Out-of-range moves, empty lines and unknown commands answer ?> CR.
Azimuth moves run along the scale between the end stops, never through north.

SIGTERM or SIGINT ends the simulator cleanly.
)";
    return text;
}

}  // namespace gs232b
