#include "gs232b_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <utility>

namespace gs232b {

namespace {

const std::string kError = "?>\r";
const std::string kLineEnd = "\r\n";

std::string normalised(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Reads 1 to 3 digits at pos; the controller's manual asks for exactly 3, but units
// accept shorter fields and clients send them.
std::optional<int> read_angle(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && is_digit(text[pos]) && pos - start < 3) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start || (pos < text.size() && is_digit(text[pos]))) return std::nullopt;
    return value;
}

void skip_blanks(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
}

std::string three_digits(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d", value);
    return buf;
}

}  // namespace

Axis::Axis(double start, double speed, bool instant)
    : from_(start), to_(start), speed_(speed), instant_(instant) {}

double Axis::angle(double now) const {
    if (!moving_ || instant_) return to_;
    const double distance = to_ - from_;
    const double travelled = speed_ * std::max(0.0, now - t0_);
    if (travelled >= std::fabs(distance)) return to_;
    return from_ + std::copysign(travelled, distance);
}

bool Axis::moving(double now) const {
    return moving_ && angle(now) != to_;
}

void Axis::move_to(double target, double now) {
    from_ = angle(now);
    to_ = target;
    t0_ = now;
    moving_ = true;
}

void Axis::stop(double now) {
    set(angle(now));
}

void Axis::set(double angle) {
    from_ = to_ = angle;
    moving_ = false;
}

Gs232bModel::Gs232bModel(const ModelSettings& s)
    : az_(std::clamp(s.initial_az, 0.0, double(s.az_range)), s.az_speed, s.instant),
      el_(std::clamp(s.initial_el, 0.0, double(kMaxElevation)), s.el_speed, s.instant),
      az_range_(s.az_range == 450 ? 450 : 360) {}

Position Gs232bModel::position(double now) const {
    return {az_.angle(now), el_.angle(now)};
}

int Gs232bModel::reported_az(double now) const {
    return static_cast<int>(std::lround(az_.angle(now)));
}

int Gs232bModel::reported_el(double now) const {
    return static_cast<int>(std::lround(el_.angle(now)));
}

bool Gs232bModel::moving(double now) const {
    return az_.moving(now) || el_.moving(now);
}

void Gs232bModel::set_position(double az, double el) {
    az_.set(std::clamp(az, 0.0, double(az_range_)));
    el_.set(std::clamp(el, 0.0, double(kMaxElevation)));
}

std::string Gs232bModel::az_text(double now) const {
    return "AZ=" + three_digits(reported_az(now));
}

std::string Gs232bModel::el_text(double now) const {
    return "EL=" + three_digits(reported_el(now));
}

std::string Gs232bModel::on_line(std::string command, double now) {
    const std::string cmd = normalised(std::move(command));
    bool handled = false;
    std::string reply = dialog_line(cmd, now, handled);
    if (handled) return reply;
    return execute(cmd, now);
}

// A dialog takes only its own answers; anything else leaves it and runs as usual, so the
// periodic position poll keeps working during calibration.
std::string Gs232bModel::dialog_line(const std::string& cmd, double now, bool& handled) {
    const Dialog dialog = std::exchange(dialog_, Dialog::none);
    if (dialog == Dialog::none) return {};
    if (dialog == Dialog::full_scale) {
        handled = cmd.empty();
        return {};
    }
    const bool az = dialog == Dialog::az_offset;
    const std::string marker = az ? "AZoffset" : "ELoffset";
    if (cmd.empty()) {
        handled = true;
        return marker + kLineEnd;
    }
    if (cmd == "Y") {
        handled = true;
        // The operator has turned the rotator to its zero stop: that point now reads 0.
        (az ? az_ : el_).stop(now);
        (az ? az_ : el_).set(0.0);
        return marker + " Completed." + kLineEnd;
    }
    return {};
}

std::string Gs232bModel::execute(const std::string& cmd, double now) {
    if (cmd.empty()) return kError;
    if (cmd == "C2") return az_text(now) + "  " + el_text(now) + kLineEnd;
    if (cmd == "C") return az_text(now) + kLineEnd;
    if (cmd == "B") return el_text(now) + kLineEnd;
    if (cmd[0] == 'W') return move_both(cmd.substr(1), now);
    if (cmd[0] == 'M') return move_az(cmd.substr(1), now);
    if (cmd == "S") {
        az_.stop(now);
        el_.stop(now);
        return {};
    }
    if (cmd == "A") {
        az_.stop(now);
        return {};
    }
    if (cmd == "E") {
        el_.stop(now);
        return {};
    }
    if (cmd == "R" || cmd == "L") {
        az_.move_to(cmd == "R" ? az_range_ : 0, now);
        return {};
    }
    if (cmd == "U" || cmd == "D") {
        el_.move_to(cmd == "U" ? kMaxElevation : 0, now);
        return {};
    }
    if (cmd == "O" || cmd == "O2") {
        const bool az = cmd == "O";
        dialog_ = az ? Dialog::az_offset : Dialog::el_offset;
        return std::string(az ? "AZoffset" : "ELoffset") + " are you sure?(Y/N)" + kLineEnd;
    }
    if (cmd == "F" || cmd == "F2") {
        dialog_ = Dialog::full_scale;
        return cmd == "F" ? az_text(now) + kLineEnd : az_text(now) + "  " + el_text(now) + kLineEnd;
    }
    if (cmd == "P36") return set_range(360, now);
    if (cmd == "P45") return set_range(450, now);
    return kError;
}

std::string Gs232bModel::move_both(const std::string& args, double now) {
    std::size_t pos = 0;
    const auto az = read_angle(args, pos);
    if (!az || pos >= args.size() || args[pos] != ' ') return kError;
    skip_blanks(args, pos);
    const auto el = read_angle(args, pos);
    if (!el || pos != args.size()) return kError;
    if (*az > az_range_ || *el > kMaxElevation) return kError;
    az_.move_to(*az, now);
    el_.move_to(*el, now);
    return {};
}

std::string Gs232bModel::move_az(const std::string& args, double now) {
    std::size_t pos = 0;
    skip_blanks(args, pos);
    const auto az = read_angle(args, pos);
    if (!az || pos != args.size() || *az > az_range_) return kError;
    az_.move_to(*az, now);
    return {};
}

// Leaving the 450-degree range pulls anything beyond 360 back onto the scale.
std::string Gs232bModel::set_range(int range, double now) {
    az_range_ = range;
    if (az_.angle(now) > range)
        az_.set(range);
    else if (az_.target() > range)
        az_.move_to(range, now);
    return "mode " + std::to_string(range) + " Degree" + kLineEnd;
}

}  // namespace gs232b
