#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gs232b {

// Cuts the incoming byte stream into commands: CR ends one, LF is dropped wherever it
// stands. A runaway line without CR is cut at kMaxLine so it cannot grow without bound.
class LineFramer {
  public:
    static constexpr std::size_t kMaxLine = 256;

    std::vector<std::string> feed(std::string_view bytes);
    void clear() { partial_.clear(); }

  private:
    std::string partial_;
};

// The command as it appears in the log: printable ASCII as is, backslash doubled, CR as
// \r, anything else as \xNN.
std::string escape_for_log(std::string_view command);

// One log line, newline included: seconds since start (ms), transport, command.
std::string log_line(double seconds, std::string_view transport, std::string_view command);

struct Chunk {
    double due;  // seconds on the simulator's clock
    std::string bytes;
};

struct LineShape {
    bool pacing = true;
    double byte_seconds = 10.0 / 9600;  // start + 8 data + stop bits
    double split_seconds = 0.0;         // > 0: the reply goes out in two parts
};

// When each byte of a reply reaches the client. The line sends one byte at a time and
// cannot start a reply before the previous one has left; line_free carries that over.
std::vector<Chunk> schedule_reply(const std::string& reply, double now, double& line_free,
                                  const LineShape& shape);

// Line noise of the given length; always holds a NUL and a 0xFF byte when long enough.
std::string garbage_bytes(std::size_t length, std::uint32_t& seed);

}  // namespace gs232b
