#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "link/great_circle.h"
#include "link/module1.h"
#include "link/operation_rules.h"
#include "main_window/radar_picture.h"
#include "main_window/refusal.h"
#include "main_window/window_state.h"

class Form2;
class Form3;
class StationBus;

// The main window. Its procedures are spread over files by concern:
// form1.cpp (controls), form1_startup.cpp (load, shutdown, menus, options),
// form1_link.cpp (transports, initial burst and one-shot poll, reply reading and parsing),
// form1_link_health.cpp (what the window knows of the link, healing it),
// form1_cycle.cpp (Timer1),
// form1_orbx.cpp (tracking-program link), form1_tracking.cpp (manual/automatic buttons),
// form1_radar.cpp (drawing), form1_picking.cpp (radar clicks),
// form1_operation.cpp (operation menu, optional settings, the station on the session bus).
class Form1 final : public QMainWindow {
    Q_OBJECT
  public:
    Form1(Module1& module, platform::Services& services);
    ~Form1() override;

    // --- events -------------------------------------------------------------------------
    void Form_Load();
    void Form_Resize();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Option1_Click();
    void Option2_Click();
    void Timer1_Timer();
    void MSComm1_OnComm();
    void Picture1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, double x,
                            double y);
    void menu_kannkyou_settei_Click();
    void menu_debug_on_Click();
    void menu_debug_off_Click();
    void menu_ver_Click();

    // --- rotator link --------------------------------------------------------------------
    void open_transports();   // start-up step 13
    void open_board_speed();  // start-up step 17
    // Opens the serial port the settings name, resolving its device afresh; throws
    // PortFailure with what the operator is told.
    void open_serial_port();
    void close_port();
    void receive_proc();
    void picnic_rs232c_read_proc();
    void show_reply(const QString& reply);
    void parse_position(const QString& reply);

    // --- link health (form1_link_health.cpp) ---------------------------------------------
    // Follows the transport, heals a lost link and shows every change; run by link_watch
    // and at the end of each tick.
    void watch_link();
    // Whether commands can be written now (the transport is followed first).
    bool link_can_send();
    bool position_known();
    // The link's problem as the operator reads it; empty while there is none.
    QString link_problem();
    // Empties the reply line, unless the link has something to say there.
    void clear_reply_line();
    // Sends S; when it cannot be written it is owed, and sent once the link can take it.
    bool send_stop();
    // Ends a manual move and automatic tracking and sends S; false when S did not go out.
    bool stop_everything();
    QTimer link_watch;
    static constexpr double heal_interval_seconds = 2.0;

    // --- periodic cycle ------------------------------------------------------------------
    void send_initial_commands();
    void discard_board_input();                 // drops board replies nobody asked to read
    void set_timer_interval(int milliseconds);  // 0 stops the ticks

    // --- tracking-program link -----------------------------------------------------------
    void start_tracking_link();
    // False when no value arrived.
    bool link_tracking_boxes();
    void refresh_tracking_values();
    void close_tracking_link();
    // Lamps and the tracking button for a link that gives no values, and for one that does.
    void show_link_failed();
    void show_link_working();
    // The warning that the tracking program is not running, at most once per run.
    void warn_link_down();

    // --- tracking commands ---------------------------------------------------------------
    void check_manual_arrival();
    void end_manual_move();
    // Sends the move to the picked target and enters the manual move; why not, when it cannot.
    std::optional<Refusal> start_manual_move();
    // Whether the overlap side waits for a position: the last one is older than a cycle.
    bool overlap_needs_poll();

    // --- radar ---------------------------------------------------------------------------
    void draw_radar();
    void draw_picked_marker();
    void draw_target_marker();
    void draw_moon_marker();
    void draw_antenna_marker();
    double point_to_azimuth(double x, double y);
    double point_to_elevation(double x, double y);
    static double quadrant_arctan(double a, double b);

    // --- operation menu and optional settings (form1_operation.cpp) -----------------------
    void build_operation_menu();
    void load_operation_settings();  // the end of the start-up
    // Claims the station's name on the session bus; the program runs on without it.
    void publish_station();
    void menu_stop_Click();
    void menu_park_Click();
    void menu_goto_Click();
    void menu_preset_Click(int index);
    // A manual move to a heading as a pick starts one; the operator's message when refused.
    std::optional<Refusal> start_heading_move(const Heading& heading);
    // The same for the station's callers: checked now, sent on the next turn of the event
    // loop, where a newer heading replaces one not sent yet.
    std::optional<Refusal> queue_heading_move(const Heading& heading);
    // The same towards a typed place, the short or the long way round.
    std::optional<Refusal> start_place_move(const QString& place, bool long_way, int elevation);
    void update_operation_menu();
    // The azimuth a move command carries for this target (the overlap choice).
    double command_azimuth(double target) const;
    // Whether automatic tracking sends a move for this target now; remembered when it does.
    bool tracking_move_wanted(double azimuth, double elevation);
    bool idle_poll_wanted() const;

    struct OperationSettings {
        int azimuth_range = 360;
        double threshold = 0;
        bool idle_poll = false;
        StationPosition station;  // not set: places cannot be pointed at
    };
    OperationSettings operation;
    std::optional<SentTarget> last_tracking_sent;
    std::vector<Preset> presets;
    QAction* menu_sousa = nullptr;
    QAction* menu_stop = nullptr;
    QAction* menu_park = nullptr;
    QAction* menu_goto = nullptr;
    QMenu* menu_preset = nullptr;
    StationBus* station_bus() const { return station_.get(); }

    // --- dialogs -------------------------------------------------------------------------
    // The settings dialog, created hidden (running its load) when it does not exist yet.
    Form2& form2();
    Form2* form2_if_loaded() const;
    Form3* form3_if_open() const;
    // Called by the dialogs when their window closes; the object goes once its handler returns.
    void release_form2();
    void release_form3();
    // The values the settings dialog edits, back as the settings file holds them: a dialog
    // closed without a save leaves none of its entries in force.
    void restore_dialog_settings();

    // --- what the window knows ------------------------------------------------------------
    WindowState& state() { return state_; }
    const WindowState& state() const { return state_; }
    // Sets one of the tracking program's values and the box that shows it.
    void show_tracking_value(TrackingItem item, const QString& text);
    // The same for a value just read from the tracking program.
    void take_tracking_value(TrackingItem item, const QString& text);
    // Seconds since the tracking program gave the value; nothing when it never did, or while
    // the link is not configured.
    std::optional<double> value_age(TrackingItem item);
    // Greys the boxes whose values are old.
    void show_staleness();
    // The window's size as loaded; the resize rule keeps it. Empty before the load.
    QSize designed_size() const;

    // --- controls (owned by their Qt parents) ----------------------------------------------
    // Named after the design; what each shows:
    //   Label1[0..3]  lamps: tracking-program link, manual operation, serial link, board link
    //   Label5        the last move command sent        Label7   the last poll sent ("C2")
    //   Label15       the serial port's state            Label16  the controller's last reply,
    //                                                             a serial error or the
    //                                                             link's problem
    //   Option1/2     target: satellite / Moon
    //   Text1         the satellite's name ("TEXT1")
    //   Text3/Text4   satellite azimuth/elevation ("TEXT2"/"TEXT3"), or a manual move's angles
    //   Text14/Text15 Moon azimuth/elevation ("text10"/"text11"), shown instead of Text3/Text4
    //   Text5..Text8, Text12, Text13   the other tracking values, outside the visible area
    //   Picture1      the radar          Frame3  the target frame
    //   Command1      one position poll (outside the visible area)
    //   Command2      automatic tracking on/off          Command3  exit
    //   Command4      manual move start/stop
    QGroupBox* Frame3 = nullptr;
    std::array<QLabel*, 4> Label1{};
    QLabel* Label5 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLineEdit* Text7 = nullptr;
    QLineEdit* Text8 = nullptr;
    QLineEdit* Text12 = nullptr;
    QLineEdit* Text13 = nullptr;
    QLineEdit* Text14 = nullptr;
    QLineEdit* Text15 = nullptr;
    RadarPicture* Picture1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QAction* menu_kannkyou_settei = nullptr;
    QAction* menu_debug_on = nullptr;
    QAction* menu_debug_off = nullptr;
    QAction* menu_ver = nullptr;
    QTimer Timer1;

    // Colours of the lamps and running buttons.
    static QColor lamp_on() { return {255, 0, 0}; }
    static QColor lamp_off() { return {255, 255, 255}; }
    static QColor lamp_failed() { return {0, 255, 255}; }
    static QColor running() { return {0, 255, 0}; }
    // Sets a label's or button's background colour; an invalid colour restores the default.
    static void set_back_colour(QWidget* widget, const QColor& colour);
    static QColor back_colour(const QWidget* widget);
    // Writes a value into a box so that it shows the start of the text, not its tail.
    static void show_value(QLineEdit* box, const QString& value);

    // The client area's top-left in twips relative to the screen (the window's "top"/"left").
    int top_twips() const;
    int left_twips() const;
    void move_to_twips(int top, int left);

    Module1& module() { return m_; }
    platform::Services& services() { return s_; }

  signals:
    // Every reply read from the controller, after the main window has taken its part, with
    // the step it answers.
    void reply_received(const QString& reply, OperationMode mode);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct TrackingPass {
        bool arrived = false;  // some value came
        bool failed = false;   // some request failed (running out of time is no failure)
    };
    // Asks for the values in refresh order while the budget lasts; a failure ends the pass
    // when stop_at_failure, else it is passed over.
    TrackingPass request_tracking_values(bool stop_at_failure);
    std::optional<Refusal> send_manual_move();
    void show_manual_move_running();
    std::optional<Refusal> heading_move_refusal();
    void send_queued_move();
    void build_controls();
    void build_menus();
    void follow_transport();
    void heal_link();
    void link_changed(LinkState from, LinkState to);
    void show_link_state();
    void load_window_position();
    void load_timer_interval();

    // The box that shows a tracking value.
    QLineEdit* box_of(TrackingItem item) const;

    // Frames and fixed captions, and the menus' titles.
    QGroupBox* Frame1 = nullptr;  // antenna information
    QGroupBox* Frame2 = nullptr;  // commands sent
    QGroupBox* Frame4 = nullptr;  // operating state
    QGroupBox* Frame5 = nullptr;  // connection
    QLabel* Label2 = nullptr;     // "方位"
    QLabel* Label3 = nullptr;     // "仰角"
    QLabel* Label4 = nullptr;     // "ＯＲＢＸ連動"
    QLabel* Label6 = nullptr;     // "手動操作"
    QLabel* Label8 = nullptr;     // "RS232C接続"
    QLabel* Label9 = nullptr;     // "ＰＩＣＮＩＣ接続＋ＲＳ２３２Ｃ"
    QAction* menu_settei = nullptr;
    QAction* menu_help = nullptr;
    QAction* menu_debug = nullptr;

    Module1& m_;
    platform::Services& s_;
    WindowState state_;
    std::int16_t form_height_ = 0;  // twips
    std::int16_t form_width_ = 0;   // twips
    std::unique_ptr<Form2> form2_;
    std::unique_ptr<Form3> form3_;
    std::unique_ptr<StationBus> station_;
    bool shutting_down_ = false;
    bool tick_running_ = false;
    bool watching_ = false;
    bool stop_owed_ = false;
    // A manual move at the 450-degree scale waits for the position its side is chosen on.
    bool move_awaits_position_ = false;
    std::optional<Heading> queued_heading_;
    // Where the next refresh goes on after the tracked object's values.
    std::size_t next_refreshed_ = 0;
    // The last refresh had time for the tracked object's values only.
    bool others_starved_ = false;
    std::optional<double> tick_start_;
    std::optional<double> previous_tick_start_;
    // What the window last showed of the link: a healthy one until it learns otherwise.
    LinkState shown_link_ = LinkState::up;
    bool shown_known_ = true;
    QString shown_problem_;
    std::optional<double> last_heal_;
    std::optional<double> last_stop_try_;
    // Where move_to_twips last put the window: while it stays there, top/left report the
    // twips asked for rather than the pixel grid's rounding of them.
    QPoint placed_px_{-1'000'000, -1'000'000};
    int placed_top_twips_ = 0;
    int placed_left_twips_ = 0;
};
