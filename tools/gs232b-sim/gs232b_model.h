#pragma once

#include <string>

namespace gs232b {

struct ModelSettings {
    double az_speed = 6.0;  // degrees per second
    double el_speed = 3.0;
    bool instant = false;  // moves arrive at once (tests)
    double initial_az = 0.0;
    double initial_el = 0.0;
    int az_range = 360;  // 360 or 450
};

struct Position {
    double az = 0.0;
    double el = 0.0;
};

// One rotator axis turning at a fixed speed between its end stops. It never wraps: a move
// runs along the scale from the current angle to the target.
class Axis {
  public:
    Axis(double start, double speed, bool instant);

    double angle(double now) const;
    bool moving(double now) const;
    double target() const { return to_; }
    void move_to(double target, double now);
    void stop(double now);
    void set(double angle);

  private:
    double from_;
    double to_;
    double t0_ = 0.0;
    double speed_;
    bool instant_;
    bool moving_ = false;
};

// The controller's command interpreter and the antenna it drives, free of any I/O.
// Commands come without their carriage return; the reply is the exact bytes to send back.
class Gs232bModel {
  public:
    explicit Gs232bModel(const ModelSettings& settings = {});

    std::string on_line(std::string command, double now);
    Position position(double now) const;
    // Whole degrees, as the controller's readout shows them.
    int reported_az(double now) const;
    int reported_el(double now) const;
    int az_range() const { return az_range_; }
    bool moving(double now) const;
    // Puts the antenna somewhere at once (control channel); stops both axes.
    void set_position(double az, double el);

    static constexpr int kMaxElevation = 180;

  private:
    enum class Dialog { none, az_offset, el_offset, full_scale };

    std::string dialog_line(const std::string& command, double now, bool& handled);
    std::string execute(const std::string& command, double now);
    std::string move_both(const std::string& args, double now);
    std::string move_az(const std::string& args, double now);
    std::string set_range(int range, double now);
    std::string az_text(double now) const;
    std::string el_text(double now) const;

    Axis az_;
    Axis el_;
    int az_range_;
    Dialog dialog_ = Dialog::none;
};

}  // namespace gs232b
