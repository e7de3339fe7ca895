#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenuBar>
#include <cmath>
#include <utility>

#include "link/great_circle.h"
#include "link/link_text.h"
#include "link/numeric.h"
#include "main_window/form1.h"
#include "main_window/goto_dialog.h"
#include "main_window/picking_geometry.h"
#include "main_window/radar_geometry.h"
#include "main_window/station_bus.h"

// The operation menu, the optional settings of the rotator section and the station on the
// session bus. With none of those settings the program sends what it always sent.

namespace {

// A session bus the environment names; asking for one otherwise may start a bus of its own.
bool session_bus_named() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus")));
}

// The park heading of the settings file (0, 0 when not set), or why it cannot be used.
std::variant<Heading, QString> park_heading(Module1& m, int range) {
    auto h = parse_heading(m.setting(settings_key::park_azimuth),
                           m.setting(settings_key::park_elevation), range);
    if (const auto* why = std::get_if<QString>(&h)) {
        return Form1::tr("パーク位置の設定が正しくありません：%1").arg(*why);
    }
    return h;
}

// The elevation typed beside a place; left empty it is the horizon.
std::variant<int, QString> place_elevation(const QString& text, int range) {
    if (text.trimmed().isEmpty()) return 0;
    const auto h = parse_heading(QStringLiteral("0"), text, range);
    if (const auto* why = std::get_if<QString>(&h)) return *why;
    return std::get<Heading>(h).elevation;
}

// The heading towards a place, the short or the long way round.
std::variant<Heading, QString> place_heading(const StationPosition& station, const QString& place,
                                             bool long_way, int elevation, const QString& origin) {
    const auto found = paths_to_place(station, place);
    if (const auto* why = std::get_if<QString>(&found)) return *why;
    const PlacePaths& p = std::get<PlacePaths>(found);
    double azimuth = (long_way ? p.long_way : p.short_way).bearing;
    // A scale counted from south turns it round, as it does a pick.
    if (picking::counts_from_south(origin)) azimuth = std::fmod(azimuth + 180, 360.0);
    // To the nearest degree: 360 stays 360, within every range.
    return Heading{static_cast<int>(std::lround(azimuth)), elevation};
}

// What the operator is told of a refusal.
std::optional<QString> message_of(const std::optional<Refusal>& refused) {
    return refused ? std::optional<QString>(refused->message) : std::nullopt;
}

}  // namespace

void Form1::build_operation_menu() {
    QMenu* sousa = menuBar()->addMenu(Form1::tr("操作"));
    menu_sousa = sousa->menuAction();
    menu_stop = sousa->addAction(Form1::tr("停止"));
    menu_stop->setShortcut(QKeySequence(Qt::Key_Escape));
    menu_park = sousa->addAction(Form1::tr("パーク"));
    menu_park->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    menu_goto = sousa->addAction(Form1::tr("方位指定…"));
    menu_goto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    menu_preset = sousa->addMenu(Form1::tr("プリセット"));
    menu_preset->setEnabled(false);
    // The window's own shortcuts, whether or not the menu was ever opened.
    addActions({menu_stop, menu_park, menu_goto});

    connect(menu_stop, &QAction::triggered, this, &Form1::menu_stop_Click);
    connect(menu_park, &QAction::triggered, this, &Form1::menu_park_Click);
    connect(menu_goto, &QAction::triggered, this, &Form1::menu_goto_Click);
    connect(sousa, &QMenu::aboutToShow, this, &Form1::update_operation_menu);
    update_operation_menu();
}

void Form1::load_operation_settings() {
    // Not set reads as the 360-degree scale.
    operation.azimuth_range = azimuth_range(m_.setting(settings_key::azimuth_range));
    operation.threshold = threshold_degrees(m_.setting(settings_key::threshold));
    operation.idle_poll = switched_on(m_.setting(settings_key::idle_poll).trimmed());
    operation.station = station_position(m_.setting(settings_key::station_latitude),
                                         m_.setting(settings_key::station_longitude));

    presets = parse_presets(
        s_.profile.get_private_profile_section(QStringLiteral("PRESETS"), m_.ini_file()),
        operation.azimuth_range);
    menu_preset->clear();
    for (int i = 0; i < static_cast<int>(presets.size()); ++i) {
        const Preset& p = presets[static_cast<size_t>(i)];
        QAction* a = menu_preset->addAction(
            // One multi-argument call: a "%2" in the name stays as typed.
            p.heading ? Form1::tr("%1　（%2°, %3°）")
                            .arg(p.name, QString::number(p.heading->azimuth),
                                 QString::number(p.heading->elevation))
                      : p.name);
        a->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + i)));
        a->setEnabled(p.heading.has_value());
        if (!p.heading) a->setToolTip(p.error);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, i] { menu_preset_Click(i); });
    }
    menu_preset->setEnabled(!presets.empty());
    update_operation_menu();
}

void Form1::publish_station() {
    if (station_ || !session_bus_named()) return;
    StationBus::Controls controls;
    controls.view = [this] {
        const WindowState& s = state_;
        const bool automatic = s.auto_tracking;
        const bool manual = s.manual_tracking;
        const TrackedItems tracked = tracked_items(Option1->isChecked());
        // Automatic tracking heads for the tracked object's values; a manual move for its pick.
        const double target_az =
            automatic ? numeric_value(s.value(tracked.azimuth)) : s.target_azimuth;
        const double target_el =
            automatic ? numeric_value(s.value(tracked.elevation)) : s.target_elevation;
        return StationView{s.antenna_azimuth,
                           s.antenna_elevation,
                           position_known(),
                           target_az,
                           target_el,
                           automatic ? QStringLiteral("automatic")
                           : manual  ? QStringLiteral("manual")
                                     : QStringLiteral("idle"),
                           link_state_name(m_.link.state(m_.now()))};
    };
    controls.stop = [this]() -> std::optional<Refusal> {
        if (stop_everything()) return std::nullopt;
        return Refusal(link_text::stop_not_delivered(), true);
    };
    // Moves are answered at once and sent on the next turn of the event loop: a caller that
    // sends many in a row neither waits for each one's pause on the wire nor gets them all.
    controls.park = [this]() -> std::optional<Refusal> {
        const auto h = park_heading(m_, operation.azimuth_range);
        if (const auto* why = std::get_if<QString>(&h)) return *why;
        return queue_heading_move(std::get<Heading>(h));
    };
    controls.move_to = [this](double az, double el) -> std::optional<Refusal> {
        const auto h = heading_from_degrees(az, el, operation.azimuth_range);
        if (const auto* why = std::get_if<QString>(&h)) return *why;
        return queue_heading_move(std::get<Heading>(h));
    };
    controls.point_to = [this](const QString& place, bool long_way) -> std::optional<Refusal> {
        const auto h = place_heading(operation.station, place, long_way, 0, m_.azimuth_origin);
        if (const auto* why = std::get_if<QString>(&h)) return *why;
        return queue_heading_move(std::get<Heading>(h));
    };
    auto station = std::make_unique<StationBus>(std::move(controls));
    if (!station->publish(QDBusConnection::sessionBus())) {
        m_.write_log(QStringLiteral("publish_station : セッションバスに登録できない状態"));
        return;
    }
    station_ = std::move(station);
}

void Form1::update_operation_menu() {
    // A stop always ends what the window runs, and is owed to the rotator when it cannot go.
    menu_stop->setEnabled(true);
}

void Form1::menu_stop_Click() {
    if (!stop_everything()) s_.message_box.show(link_text::stop_not_delivered());
}

void Form1::menu_park_Click() {
    const auto h = park_heading(m_, operation.azimuth_range);
    if (const auto* why = std::get_if<QString>(&h)) {
        s_.message_box.show(*why);
        return;
    }
    if (const auto refused = start_heading_move(std::get<Heading>(h))) {
        s_.message_box.show(refused->message);
    }
}

void Form1::menu_goto_Click() {
    auto* dialog = findChild<GotoDialog*>();
    if (dialog == nullptr) {
        dialog = new GotoDialog(operation.azimuth_range, this);
        dialog->submit = [this, dialog](const QString& az,
                                        const QString& el) -> std::optional<QString> {
            if (looks_like_place(az)) {
                const auto e = place_elevation(el, operation.azimuth_range);
                if (const auto* why = std::get_if<QString>(&e)) return *why;
                return message_of(
                    start_place_move(az, dialog->long_path->isChecked(), std::get<int>(e)));
            }
            const auto h = parse_heading(az, el, operation.azimuth_range);
            if (const auto* why = std::get_if<QString>(&h)) return *why;
            return message_of(start_heading_move(std::get<Heading>(h)));
        };
        dialog->show_message = [this](const QString& text) { s_.message_box.show(text); };
    }
    dialog->set_station(operation.station);
    dialog->open();
}

void Form1::menu_preset_Click(int index) {
    if (index < 0 || index >= static_cast<int>(presets.size())) return;
    const Preset& p = presets[static_cast<size_t>(index)];
    if (!p.heading) return;
    if (const auto refused = start_heading_move(*p.heading)) s_.message_box.show(refused->message);
}

std::optional<Refusal> Form1::heading_move_refusal() {
    if (m_.operation_mode != OperationMode::running) {
        return Refusal(Form1::tr("環境設定の画面を閉じてから操作してください"));
    }
    if (state_.auto_tracking) return Refusal(Form1::tr("自動追跡中です！！"));
    if (!link_can_send()) return Refusal(link_text::move_not_possible(link_problem()), true);
    return std::nullopt;
}

std::optional<Refusal> Form1::start_heading_move(const Heading& heading) {
    if (auto refused = heading_move_refusal()) return refused;
    // A new heading replaces the move under way; its command supersedes the old one.
    WindowState& s = state_;
    s.target_azimuth = heading.azimuth;
    s.target_elevation = heading.elevation;
    // Marked where a click would have picked it.
    const double shift = picking::counts_from_south(m_.azimuth_origin) ? 180 : 0;
    const auto at = radar::polar_point(heading.azimuth - shift, heading.elevation,
                                       Picture1->outer_width(), Picture1->outer_height());
    s.picked_x = at ? at->x : Picture1->outer_width() / 2;
    s.picked_y = at ? at->y : Picture1->outer_height() / 2;
    s.target_picked = true;
    draw_radar();
    return start_manual_move();
}

std::optional<Refusal> Form1::queue_heading_move(const Heading& heading) {
    if (auto refused = heading_move_refusal()) return refused;
    const bool waiting = queued_heading_.has_value();
    queued_heading_ = heading;
    if (!waiting) QMetaObject::invokeMethod(this, &Form1::send_queued_move, Qt::QueuedConnection);
    return std::nullopt;
}

void Form1::send_queued_move() {
    // Nothing when a stop came first.
    const auto heading = std::exchange(queued_heading_, std::nullopt);
    if (!heading || shutting_down_) return;
    if (const auto refused = start_heading_move(*heading)) {
        m_.write_log(QStringLiteral("send_queued_move : 移動できない状態 ") + refused->message);
    }
}

std::optional<Refusal> Form1::start_place_move(const QString& place, bool long_way, int elevation) {
    const auto h = place_heading(operation.station, place, long_way, elevation, m_.azimuth_origin);
    if (const auto* why = std::get_if<QString>(&h)) return *why;
    return start_heading_move(std::get<Heading>(h));
}

double Form1::command_azimuth(double target) const {
    return overlap_azimuth(target, state_.antenna_azimuth, operation.azimuth_range);
}

bool Form1::overlap_needs_poll() {
    if (operation.azimuth_range != 450) return false;
    const double now = m_.now();
    const auto at = m_.link.position_reported_at(now);
    if (!at) return true;
    // A tick may move on what the tick before it polled for, however long its own refresh took.
    if (tick_running_ && previous_tick_start_) return *at < *previous_tick_start_;
    const double cycle =
        Timer1.isActive() && Timer1.interval() > 0 ? Timer1.interval() / 1000.0 : 1.0;
    return now - *at > cycle;
}

bool Form1::tracking_move_wanted(double azimuth, double elevation) {
    const SentTarget now{azimuth, elevation};
    if (!tracking_move_due(last_tracking_sent, now, operation.threshold)) return false;
    last_tracking_sent = now;
    return true;
}

bool Form1::idle_poll_wanted() const {
    return operation.idle_poll && !state_.auto_tracking && !state_.manual_tracking &&
           m_.operation_mode == OperationMode::running;
}
