#pragma once

// The part of the network rotator protocol (TCP text lines, one command per line) that
// satellite trackers and the Hamlib network rotator client use. No sockets here.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace track_bridge {

struct Position {
    double azimuth = 0;
    double elevation = 0;
};

// Travel limits the bridge reports and enforces: those of a rotator server driving a dummy
// rotator, wide enough for every azimuth convention a tracker may be set to.
struct Limits {
    double min_azimuth = -180;
    double max_azimuth = 450;
    double min_elevation = 0;
    double max_elevation = 90;
};

// Hamlib's error codes, as its network rotator client hands them to the tracker.
namespace rprt {
constexpr int ok = 0;
constexpr int invalid = -1;         // RIG_EINVAL: malformed, outside the limits, or unknown
constexpr int timed_out = -5;       // RIG_ETIMEOUT: azelrot did not answer in time
constexpr int io_error = -6;        // RIG_EIO: azelrot not running, or its controller unreachable
constexpr int rejected = -9;        // RIG_ERJCTED: azelrot refused it
constexpr int not_available = -11;  // RIG_ENAVAIL: no measured position yet
}  // namespace rprt

// The main program's station as the bridge last saw it on the session bus.
struct StationLink {
    bool present = false;             // its name has an owner
    std::optional<Position> antenna;  // the measured position, while it knows one
    std::string state;                // "idle", "manual" or "automatic", once read
    bool link_up = true;              // false while it says its controller link is not up
    // The bridge was given no station position and computes the Moon for its built-in one.
    bool default_observer = false;
};

// What only the station can do; the command's report waits for its answer.
struct StationCall {
    enum class Kind { move_to, stop, park };
    Kind kind = Kind::stop;
    Position to;  // move_to: azimuth 0-360
};

struct Outcome {
    std::string reply;               // goes out in one write; with a call, what precedes its report
    std::optional<Position> target;  // the tracker's target from a valid set-position command
    std::optional<StationCall> call;
    bool close = false;
};

// Answers one command line (line end removed). Without a station nothing is measured or
// moved, so those commands fail.
Outcome handle_line(std::string_view line, const Limits& limits = {},
                    const StationLink& station = {});

// The report for a station call that failed with this bus error.
int failure_code(std::string_view error_name);

// Said at start and in the state dump while the Moon is computed for the built-in position.
inline constexpr const char* kDefaultObserverWarning =
    "no station position given (--lat, --lon): the Moon is computed for the built-in default";

// "RPRT 0\n" and friends.
std::string report(int code);
// The handshake answer of the network rotator client: protocol version, model, limits.
// A present station adds what it brings before the closing "done".
std::string dump_state(const Limits& limits, char separator = '\n',
                       const StationLink& station = {});
// The capabilities in the layout of the Hamlib caps dump, as far as the bridge has them.
std::string dump_caps(const Limits& limits, char separator = '\n', const StationLink& station = {});
// Reads a decimal number; a comma is taken as the decimal point, as some trackers write it
// under a comma locale.
std::optional<double> parse_number(std::string_view text);
// "%f"-like, independent of the locale.
std::string fixed6(double value);

// Splits the byte stream of one client into lines. A line longer than the limit is dropped
// whole and comes back as an overlong marker, so a client that never sends a line end cannot
// grow the buffer.
class LineAssembler {
  public:
    struct Line {
        std::string text;
        bool overlong = false;
    };

    explicit LineAssembler(std::size_t max_line = 256) : max_line_(max_line) {}
    std::vector<Line> feed(std::string_view bytes);

  private:
    std::size_t max_line_;
    std::string pending_;
    bool discarding_ = false;
};

// One client's conversation: bytes in, one outcome per complete command line, in order. After
// an outcome with a station call the rest waits until resume(); nothing after a quit is served.
class Session {
  public:
    explicit Session(const Limits& limits = {}) : limits_(limits) {}
    std::vector<Outcome> feed(std::string_view bytes, const StationLink& station = {});
    // The call was answered: the lines that waited behind it.
    std::vector<Outcome> resume(const StationLink& station = {});
    bool waiting() const { return waiting_; }
    bool closed() const { return closed_; }

  private:
    std::vector<Outcome> run(const StationLink& station);

    Limits limits_;
    LineAssembler lines_;
    std::deque<LineAssembler::Line> queued_;
    bool waiting_ = false;
    bool closed_ = false;
};

}  // namespace track_bridge
