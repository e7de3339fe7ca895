#pragma once

// The part of the network rotator protocol (TCP text lines, one command per line) that
// satellite trackers and the Hamlib network rotator client use. No sockets here.

#include <cstddef>
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

// The main program's station as the bridge last saw it on the session bus.
struct StationLink {
    bool present = false;             // its name has an owner
    std::optional<Position> antenna;  // the last reported position, once there is one
    // The bridge was given no station position and computes the Moon for its built-in one.
    bool default_observer = false;
};

struct Outcome {
    std::string reply;               // goes out in one write; empty: nothing to send
    std::optional<Position> target;  // set by a valid set-position command
    bool stop = false;
    bool park = false;  // only while the station is present
    bool close = false;
};

// Answers one command line (line end removed) while the last target set is `current`. A
// present station answers the position with its antenna's and takes park.
Outcome handle_line(std::string_view line, const Position& current, const Limits& limits = {},
                    const StationLink& station = {});

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

// One client's conversation: bytes in, one outcome per complete command line. Targets set
// by earlier lines are seen by later ones in the same chunk; nothing after a quit is served.
class Session {
  public:
    explicit Session(const Limits& limits = {}) : limits_(limits) {}
    std::vector<Outcome> feed(std::string_view bytes, Position& target,
                              const StationLink& station = {});
    bool closed() const { return closed_; }

  private:
    Limits limits_;
    LineAssembler lines_;
    bool closed_ = false;
};

}  // namespace track_bridge
