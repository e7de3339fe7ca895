// The tracking bridge's command parser: the bytes a network client sends, cut anywhere.

#include <QString>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "rotctl_protocol.h"

namespace {

using track_bridge::Outcome;
using track_bridge::Position;
using track_bridge::Session;

// A line can echo back at most its own length, so no reply comes near this.
constexpr std::size_t kLongestReply = 1024;
constexpr std::size_t kLongestLine = 256;

QString bytes_shown(std::string_view bytes) {
    return shown(QString::fromLatin1(bytes.data(), qsizetype(bytes.size())));
}

// The replies, and the last target each set.
std::string joined(const std::vector<Outcome>& outcomes, Position& target) {
    std::string all;
    for (const auto& o : outcomes) {
        all += o.reply;
        if (o.target) target = *o.target;
    }
    return all;
}

// Complete lines with something to answer, up to and including a quit.
std::size_t answerable_lines(std::string_view input) {
    std::size_t count = 0;
    for (std::size_t end; (end = input.find('\n')) != std::string_view::npos;
         input.remove_prefix(end + 1)) {
        const std::string_view line = input.substr(0, end);
        if (line.size() > kLongestLine || line.find_first_not_of(" \t\r") != line.npos) ++count;
    }
    return count;
}

bool is_position(std::string_view reply) {
    const auto first = reply.find('\n');
    if (first == reply.npos || reply.find('\n', first + 1) != reply.size() - 1) return false;
    return track_bridge::parse_number(reply.substr(0, first)) &&
           track_bridge::parse_number(reply.substr(first + 1, reply.size() - first - 2));
}

// Every reply is whole lines: a report, or the answer of a handshake query. With no station
// behind the bridge nothing is measured, so no position ever comes back.
void check_reply(const std::string& reply, const QString& context) {
    FUZZ_CHECK(reply.size() <= kLongestReply, context);
    FUZZ_CHECK(!reply.empty() && reply.back() == '\n', context + u' ' + bytes_shown(reply));
    const std::string_view text(reply);
    FUZZ_CHECK(text.ends_with("RPRT 0\n") || text.ends_with("RPRT -1\n") ||
                   text.ends_with("RPRT -6\n") ||
                   reply == track_bridge::dump_state(track_bridge::Limits{}),
               context + u' ' + bytes_shown(reply));
    FUZZ_CHECK(!is_position(reply), context + u' ' + bytes_shown(reply));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const QString context = bytes_shown(input.substr(0, 200));
    const track_bridge::Limits limits;

    Session whole;
    const auto outcomes = whole.feed(input);

    bool closed = false;
    for (const Outcome& outcome : outcomes) {
        FUZZ_CHECK(!closed, context);
        closed = outcome.close;
        if (!outcome.close) check_reply(outcome.reply, context);
        if (outcome.target) {
            const Position& t = *outcome.target;
            FUZZ_CHECK(std::isfinite(t.azimuth) && std::isfinite(t.elevation) &&
                           t.azimuth >= limits.min_azimuth && t.azimuth <= limits.max_azimuth &&
                           t.elevation >= limits.min_elevation &&
                           t.elevation <= limits.max_elevation,
                       context);
        }
    }
    FUZZ_CHECK(closed == whole.closed(), context);
    // One outcome per line that says something; nothing after a quit.
    if (!closed) FUZZ_CHECK(outcomes.size() == answerable_lines(input), context);
    FUZZ_CHECK(outcomes.size() <= answerable_lines(input), context);

    // TCP may deliver the same bytes in any cuts: one by one, and in two halves.
    Session bytewise;
    Position bytewise_target;
    std::string bytewise_replies;
    for (std::size_t i = 0; i < input.size(); ++i) {
        bytewise_replies += joined(bytewise.feed(input.substr(i, 1)), bytewise_target);
    }
    Session halves;
    Position halves_target;
    std::string halves_replies = joined(halves.feed(input.substr(0, size / 2)), halves_target);
    halves_replies += joined(halves.feed(input.substr(size / 2)), halves_target);

    Position whole_target;
    const std::string replies = joined(outcomes, whole_target);
    FUZZ_CHECK(bytewise_replies == replies && halves_replies == replies, context);
    for (const Position* p : {&bytewise_target, &halves_target}) {
        FUZZ_CHECK(p->azimuth == whole_target.azimuth && p->elevation == whole_target.elevation,
                   context);
    }
    return 0;
}
