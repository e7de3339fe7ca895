#include "rotctl_protocol.h"

#include <charconv>
#include <cmath>

namespace track_bridge {
namespace {

enum class Command { get_position, set_position, stop, park, dump_state, dump_caps, quit, unknown };

constexpr std::string_view kBlanks = " \t\r";

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    while (!(text = trim(text)).empty()) {
        const auto end = text.find_first_of(kBlanks);
        out.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
    }
    return out;
}

Command short_command(char c) {
    switch (c) {
        case 'p':
            return Command::get_position;
        case 'P':
            return Command::set_position;
        case 'S':
            return Command::stop;
        case 'K':
            return Command::park;
        case 'q':
        case 'Q':
            return Command::quit;
        default:
            return Command::unknown;
    }
}

Command long_command(std::string_view name) {
    if (name == "get_pos") return Command::get_position;
    if (name == "set_pos") return Command::set_position;
    if (name == "stop") return Command::stop;
    if (name == "park") return Command::park;
    if (name == "dump_state") return Command::dump_state;
    if (name == "dump_caps") return Command::dump_caps;
    return Command::unknown;
}

const char* long_name(Command command) {
    switch (command) {
        case Command::get_position:
            return "get_pos";
        case Command::set_position:
            return "set_pos";
        case Command::stop:
            return "stop";
        case Command::park:
            return "park";
        case Command::dump_state:
            return "dump_state";
        case Command::dump_caps:
            return "dump_caps";
        default:
            return "";
    }
}

struct Parsed {
    Command command = Command::unknown;
    std::string_view arguments;
    std::optional<char> separator;  // set for the extended-response forms
};

Parsed parse(std::string_view line) {
    Parsed parsed;
    if (line.size() > 1 && std::string_view("+;|,").find(line.front()) != std::string_view::npos) {
        parsed.separator = line.front() == '+' ? '\n' : line.front();
        line.remove_prefix(1);
    }
    if (line.front() == '\\') {
        const auto end = line.find_first_of(kBlanks);
        parsed.command =
            long_command(line.substr(1, end == std::string_view::npos ? end : end - 1));
        parsed.arguments = end == std::string_view::npos ? std::string_view{} : line.substr(end);
    } else {
        parsed.command = short_command(line.front());
        parsed.arguments = line.substr(1);
    }
    return parsed;
}

bool within(const Position& p, const Limits& limits) {
    return p.azimuth >= limits.min_azimuth && p.azimuth <= limits.max_azimuth &&
           p.elevation >= limits.min_elevation && p.elevation <= limits.max_elevation;
}

std::optional<Position> parse_position(std::string_view arguments, const Limits& limits) {
    const auto parts = words(arguments);
    if (parts.size() != 2) {
        return std::nullopt;
    }
    const auto az = parse_number(parts[0]);
    const auto el = parse_number(parts[1]);
    if (!az || !el || !within({*az, *el}, limits)) {
        return std::nullopt;
    }
    return Position{*az, *el};
}

// Echo line of the extended forms: the long name and the arguments as received.
std::string echo(const Parsed& parsed) {
    std::string out = long_name(parsed.command);
    out += ':';
    for (const auto word : words(parsed.arguments)) {
        out += ' ';
        out += word;
    }
    out += *parsed.separator;
    return out;
}

// Why the measured position cannot be given; 0 when it can.
int position_failure(const StationLink& station) {
    if (!station.present || !station.link_up) return rprt::io_error;
    return station.antenna ? rprt::ok : rprt::not_available;
}

// The station takes azimuths of one turn; trackers may send -180 to 450.
double one_turn(double azimuth) {
    const double a = std::fmod(azimuth, 360.0);
    return a < 0 ? a + 360 : a;
}

// A move for the tracker's target: while azelrot tracks by itself the published target is the
// move, otherwise the station has to take it.
void set_position(const Parsed& parsed, const Limits& limits, const StationLink& station,
                  Outcome& out, int& code) {
    out.target = parse_position(parsed.arguments, limits);
    if (!out.target) {
        code = rprt::invalid;
    } else if (!station.present) {
        code = rprt::io_error;
    } else if (station.state == "automatic") {
        code = station.link_up ? rprt::ok : rprt::io_error;
    } else {
        out.call = StationCall{StationCall::Kind::move_to,
                               {one_turn(out.target->azimuth), out.target->elevation}};
    }
}

Outcome answer(const Parsed& parsed, const Limits& limits, const StationLink& station) {
    const bool extended = parsed.separator.has_value();
    const char sep = parsed.separator.value_or('\n');
    Outcome out;
    std::string body;
    int code = 0;
    switch (parsed.command) {
        case Command::quit:
            out.close = true;
            return out;
        case Command::unknown:
            out.reply = report(rprt::invalid);
            return out;
        case Command::get_position: {
            code = position_failure(station);
            if (code != rprt::ok) break;
            const Position& at = *station.antenna;
            body = extended ? "Azimuth: " + fixed6(at.azimuth) + sep +
                                  "Elevation: " + fixed6(at.elevation) + sep
                            : fixed6(at.azimuth) + '\n' + fixed6(at.elevation) + '\n';
            break;
        }
        case Command::set_position:
            set_position(parsed, limits, station, out, code);
            break;
        case Command::stop:
        case Command::park:
            if (!station.present) {
                code = rprt::io_error;
                break;
            }
            out.call = StationCall{
                parsed.command == Command::stop ? StationCall::Kind::stop : StationCall::Kind::park,
                {}};
            break;
        case Command::dump_state:
            body = dump_state(limits, sep, station);
            break;
        case Command::dump_caps:
            body = dump_caps(limits, sep, station);
            break;
    }
    if (out.call) {
        out.reply = extended ? echo(parsed) : std::string();
        return out;
    }
    if (!extended) {
        // Queries answer their values alone; commands, and a query that failed, their report.
        const bool query = code == rprt::ok && (parsed.command == Command::get_position ||
                                                parsed.command == Command::dump_state);
        // The caps dump closes with its report, as the Hamlib server's does.
        out.reply = query ? body : body + report(code);
        return out;
    }
    out.reply = echo(parsed) + body + report(code);
    return out;
}

}  // namespace

std::string report(int code) {
    return "RPRT " + std::to_string(code) + "\n";
}

std::string fixed6(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

std::string dump_state(const Limits& limits, char separator, const StationLink& station) {
    std::string out;
    const auto line = [&](const std::string& text) { out += text + separator; };
    line("1");  // protocol version
    line("1");  // rotator model: the dummy
    line("min_az=" + fixed6(limits.min_azimuth));
    line("max_az=" + fixed6(limits.max_azimuth));
    line("min_el=" + fixed6(limits.min_elevation));
    line("max_el=" + fixed6(limits.max_elevation));
    line("south_zero=0");
    line("rot_type=AzEl");
    if (station.present) {
        line("has_park=1");
        line("position=station");
    }
    if (station.default_observer) line(std::string("warning=") + kDefaultObserverWarning);
    line("done");
    return out;
}

std::string dump_caps(const Limits& limits, char separator, const StationLink& station) {
    std::string out;
    const auto line = [&](const std::string& text) { out += text + separator; };
    const auto two = [](double v) {
        std::string s = fixed6(v);
        return s.substr(0, s.size() - 4);
    };
    line("Caps dump for model:\t1");
    line("Model name:\t\tazelrot track-bridge");
    line("Rot type:\t\tAz-El");
    line("Min Azimuth:\t\t" + two(limits.min_azimuth));
    line("Max Azimuth:\t\t" + two(limits.max_azimuth));
    line("Min Elevation:\t\t" + two(limits.min_elevation));
    line("Max Elevation:\t\t" + two(limits.max_elevation));
    line("Can set Position:\tY");
    line("Can get Position:\tY");
    line("Can Stop:\t\tY");
    line(std::string("Can Park:\t\t") + (station.present ? "Y" : "N"));
    line(std::string("Position source:\t") + (station.present
                                                  ? "azelrot station (antenna as reported)"
                                                  : "none (azelrot not running)"));
    return out;
}

std::optional<double> parse_number(std::string_view text) {
    std::string copy(text);
    if (!copy.empty() && copy.front() == '+') {
        copy.erase(0, 1);
    }
    if (copy.find(',') != std::string::npos && copy.find('.') == std::string::npos) {
        copy[copy.find(',')] = '.';
    }
    double value = 0;
    const char* end = copy.data() + copy.size();
    const auto result = std::from_chars(copy.data(), end, value, std::chars_format::general);
    if (copy.empty() || result.ec != std::errc{} || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

Outcome handle_line(std::string_view line, const Limits& limits, const StationLink& station) {
    line = trim(line);
    if (line.empty()) {
        return {};
    }
    return answer(parse(line), limits, station);
}

int failure_code(std::string_view error_name) {
    if (error_name == "org.azelrot.Station.Error.Refused") return rprt::rejected;
    if (error_name == "org.freedesktop.DBus.Error.NoReply" ||
        error_name == "org.freedesktop.DBus.Error.Timeout") {
        return rprt::timed_out;
    }
    // Not delivered to the controller, no station, a broken bus: the rotator was not reached.
    return rprt::io_error;
}

std::vector<LineAssembler::Line> LineAssembler::feed(std::string_view bytes) {
    std::vector<Line> lines;
    for (const char c : bytes) {
        if (c == '\n') {
            lines.push_back(discarding_ ? Line{{}, true} : Line{std::move(pending_), false});
            pending_.clear();
            discarding_ = false;
        } else if (!discarding_) {
            pending_ += c;
            if (pending_.size() > max_line_) {
                pending_.clear();
                discarding_ = true;
            }
        }
    }
    return lines;
}

std::vector<Outcome> Session::feed(std::string_view bytes, const StationLink& station) {
    for (auto& line : lines_.feed(bytes)) {
        queued_.push_back(std::move(line));
    }
    return run(station);
}

std::vector<Outcome> Session::resume(const StationLink& station) {
    waiting_ = false;
    return run(station);
}

std::vector<Outcome> Session::run(const StationLink& station) {
    std::vector<Outcome> outcomes;
    while (!queued_.empty() && !waiting_ && !closed_) {
        const LineAssembler::Line line = std::move(queued_.front());
        queued_.pop_front();
        Outcome outcome = line.overlong ? Outcome{report(rprt::invalid), {}, {}, false}
                                        : handle_line(line.text, limits_, station);
        closed_ = outcome.close;
        waiting_ = outcome.call.has_value();
        if (!outcome.reply.empty() || outcome.close || outcome.call) {
            outcomes.push_back(std::move(outcome));
        }
    }
    if (closed_) queued_.clear();
    return outcomes;
}

}  // namespace track_bridge
