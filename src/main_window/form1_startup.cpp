#include <QGuiApplication>
#include <QScreen>
#include <exception>
#include <optional>

#include "about/form3.h"
#include "main_window/form1.h"
#include "main_window/port_failure.h"
#include "main_window/startup_values.h"
#include "main_window/twips.h"
#include "platform/control_error.h"
#include "settings_dialog/form2.h"

// Start-up, shutdown, menus, target-kind options and the resize rule.

namespace {

QString startup_failed() {
    return Form1::tr("ＰＩＣＮＩＣが起動していない可能性があります。電源を入れてください");
}

// Why the settings file is not used, for the operator; nothing when it is used.
std::optional<QString> refused_settings_message(platform::ProfileRefusal refusal) {
    const QString consequence =
        Form1::tr("既定の設定で起動します。このファイルには書き込みません。");
    switch (refusal) {
        case platform::ProfileRefusal::none:
            return std::nullopt;
        case platform::ProfileRefusal::not_a_file:
            return Form1::tr(
                       "設定ファイル azelrot.ini が通常のファイルではないため読み込みません。") +
                   consequence;
        case platform::ProfileRefusal::too_large:
            return Form1::tr("設定ファイル azelrot.ini が１ＭＢを超えているため読み込みません。") +
                   consequence;
    }
    return std::nullopt;
}

void set_enabled(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* w : widgets) w->setEnabled(enabled);
}

// True when a window of this size at this place would show at least one pixel on a screen.
bool on_some_screen(const WindowPlace& place, const QSize& size) {
    const QRect window(twips_to_px(place.left), twips_to_px(place.top), size.width(),
                       size.height());
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(window)) return true;
    }
    return false;
}

}  // namespace

void Form1::Form_Load() {
    state_.link_warning_shown = false;
    m_.debug_flag = QStringLiteral("0");

    form_height_ = static_cast<std::int16_t>(height() * 15);
    form_width_ = static_cast<std::int16_t>(width() * 15);
    state_.azimuth_tolerance = 2.0;
    state_.elevation_tolerance = 2.0;

    if (s_.instance_guard.another_instance_running()) {
        s_.message_box.show(Form1::tr("既に起動されています。"));
        s_.program_end.end_program();
        return;
    }

    if (const QString problem = s_.program_dir.problem(); !problem.isEmpty()) {
        s_.message_box.show(problem);
    }
    if (const auto refused = refused_settings_message(s_.profile.refusal(m_.ini_file()))) {
        s_.message_box.show(*refused);
    }

    load_window_position();

    m_.orbx_link = m_.setting(settings_key::orbx_link);
    const bool linked = m_.orbx_linked();
    set_back_colour(Label1[0], linked ? lamp_on() : lamp_off());
    set_back_colour(Label1[1], linked ? lamp_off() : lamp_on());
    set_enabled({Frame3, Text1, Option1, Option2, Command2}, linked);
    if (linked) start_tracking_link();

    m_.azimuth_origin = m_.setting(settings_key::azimuth_origin);
    m_.port_name = m_.setting(settings_key::port_name);
    m_.picnic_mode = m_.setting(settings_key::picnic_mode);

    load_timer_interval();

    m_.target_kind = m_.setting(settings_key::target_kind);
    if (!switched_off(m_.target_kind)) {
        Option2->setChecked(true);
        Option2_Click();
    } else {
        Option1->setChecked(true);
        Option1_Click();
    }

    m_.board_address = m_.setting(settings_key::board_address);

    // From here on the link is watched, and healed when it is lost.
    link_watch.start();
    // The rest talks to the hardware: one failure abandons it, leaving what is already done.
    // A serial port that will not open is opened later by the watch, so only what would go
    // through it is skipped.
    try {
        try {
            open_transports();
            send_initial_commands();
        } catch (const PortFailure& e) {
            // The board's message would send the operator to the wrong box.
            const QString why = QString::fromStdString(e.what());
            m_.link.lost(m_.now(), why);
            s_.message_box.show(why);
        }
        draw_radar();
        const bool board = m_.commands_go_over_board();
        set_back_colour(Label1[2], board ? lamp_off() : lamp_on());
        set_back_colour(Label1[3], board ? lamp_on() : lamp_off());
        show_tracking_value(TrackingItem::satellite_azimuth, QString());
        show_tracking_value(TrackingItem::satellite_elevation, QString());
        if (board) open_board_speed();
    } catch (const std::exception&) {
        s_.message_box.show(startup_failed());
    }
    load_operation_settings();
}

void Form1::load_window_position() {
    m_.window_position = m_.setting(settings_key::window_position);
    auto place = parse_window_position(m_.window_position);
    // A hand-edited value, or a screen that has gone since the last run, must not leave the
    // window where nobody can reach it.
    if (!place || !on_some_screen(*place, size())) {
        m_.window_position = default_window_position;
        place = parse_window_position(m_.window_position);
    }
    move_to_twips(place->top, place->left);
}

void Form1::load_timer_interval() {
    m_.cycle_seconds = m_.setting(settings_key::cycle_seconds);
    auto ms = timer_interval_ms(m_.cycle_seconds);
    // An interval the timer cannot hold runs the cycle at its design rate.
    if (!ms) {
        m_.cycle_seconds = settings_key::cycle_seconds.fallback;
        ms = default_timer_ms;
    }
    set_timer_interval(*ms);
}

void Form1::restore_dialog_settings() {
    m_.orbx_link = m_.setting(settings_key::orbx_link);
    m_.azimuth_origin = m_.setting(settings_key::azimuth_origin);
    m_.port_name = m_.setting(settings_key::port_name);
    m_.picnic_mode = m_.setting(settings_key::picnic_mode);
    m_.board_address = m_.setting(settings_key::board_address);
    load_timer_interval();
}

void Form1::Command3_Click() {
    // Events run during the port's closing pause; a second exit request must not nest.
    if (shutting_down_) return;
    shutting_down_ = true;

    m_.window_position = QString::number(top_twips()) + u':' + QString::number(left_twips());
    m_.store_setting(settings_key::window_position, m_.window_position);
    if (m_.orbx_linked()) m_.store_setting(settings_key::target_kind, m_.target_kind);
    // Nothing may keep the program from ending.
    link_watch.stop();
    try {
        close_tracking_link();
    } catch (const std::exception&) {
    }
    try {
        close_port();
    } catch (const std::exception&) {
    }
    s_.program_end.end_program();
}

void Form1::Form_Resize() {
    if (isMinimized() || isMaximized() || isFullScreen()) return;
    if (form_width_ <= 0 || form_height_ <= 0) return;  // not loaded yet
    if (size() != designed_size()) resize(designed_size());
}

void Form1::Option1_Click() {
    Text1->setEnabled(true);
    Text14->hide();
    Text15->hide();
    Text3->show();
    Text4->show();
    m_.target_kind = switch_text(false);
}

void Form1::Option2_Click() {
    Text1->setEnabled(false);
    Text14->show();
    Text15->show();
    Text3->hide();
    Text4->hide();
    m_.target_kind = switch_text(true);
}

void Form1::menu_kannkyou_settei_Click() {
    m_.operation_mode = OperationMode::settings_open;
    Form2& f = form2();
    f.show();
    f.raise();
    f.activateWindow();
}

void Form1::menu_debug_on_Click() {
    m_.debug_flag = switch_text(true);
    menu_debug_on->setChecked(true);
    menu_debug_off->setChecked(false);
}

void Form1::menu_debug_off_Click() {
    m_.debug_flag = switch_text(false);
    menu_debug_on->setChecked(false);
    menu_debug_off->setChecked(true);
}

void Form1::menu_ver_Click() {
    // No owner and not modal: the main window and its cycle go on while it is open.
    if (!form3_) form3_ = std::make_unique<Form3>(*this);
    form3_->show();
    form3_->raise();
    form3_->activateWindow();
}
