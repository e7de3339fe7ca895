#include "sim_text.h"

#include <algorithm>
#include <cstdio>

namespace gs232b {

std::vector<std::string> LineFramer::feed(std::string_view bytes) {
    std::vector<std::string> lines;
    for (const char c : bytes) {
        if (c == '\n') continue;
        if (c == '\r') {
            lines.push_back(std::move(partial_));
            partial_.clear();
            continue;
        }
        partial_.push_back(c);
        if (partial_.size() >= kMaxLine) {
            lines.push_back(std::move(partial_));
            partial_.clear();
        }
    }
    return lines;
}

std::string escape_for_log(std::string_view command) {
    std::string out;
    for (const char c : command) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", byte);
            out += buf;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string log_line(double seconds, std::string_view transport, std::string_view command) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.3f", seconds);
    std::string line = stamp;
    line += '\t';
    line += transport;
    line += '\t';
    line += escape_for_log(command);
    line += '\n';
    return line;
}

std::vector<Chunk> schedule_reply(const std::string& reply, double now, double& line_free,
                                  const LineShape& shape) {
    std::vector<Chunk> chunks;
    if (reply.empty()) return chunks;
    const std::size_t split_at =
        shape.split_seconds > 0 && reply.size() > 1 ? reply.size() / 2 : reply.size();
    double t = std::max(now, line_free);
    if (!shape.pacing) {
        chunks.push_back({t, reply.substr(0, split_at)});
        if (split_at < reply.size()) {
            t += shape.split_seconds;
            chunks.push_back({t, reply.substr(split_at)});
        }
        line_free = t;
        return chunks;
    }
    for (std::size_t i = 0; i < reply.size(); ++i) {
        if (i == split_at) t += shape.split_seconds;
        t += shape.byte_seconds;
        chunks.push_back({t, std::string(1, reply[i])});
    }
    line_free = t;
    return chunks;
}

std::string garbage_bytes(std::size_t length, std::uint32_t& seed) {
    std::string out;
    if (seed == 0) seed = 0x2545F491u;  // xorshift sticks at zero
    for (std::size_t i = 0; i < length; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        out.push_back(static_cast<char>(seed & 0xFF));
    }
    if (length > 0) out[0] = '\0';
    if (length > 1) out[length / 2] = static_cast<char>(0xFF);
    return out;
}

}  // namespace gs232b
