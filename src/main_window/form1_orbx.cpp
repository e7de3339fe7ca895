#include <QTimer>
#include <array>
#include <utility>
#include <vector>

#include "link/tracking_aim.h"
#include "main_window/form1.h"
#include "platform/control_error.h"

// The tracking program's links: eleven boxes, each its own manual conversation. Every cycle
// asks for the tracked object's values first, then for the others while the cycle's time for
// the program lasts.

namespace {

struct Binding {
    TrackingItem value;
    const char* box_name;
    const char* item;  // exactly as the tracking program spells it
};

// Set-up and refresh run in this order.
constexpr std::array<Binding, 11> bindings{{
    {TrackingItem::satellite, "Text1", "TEXT1"},
    {TrackingItem::satellite_azimuth, "Text3", "TEXT2"},
    {TrackingItem::satellite_elevation, "Text4", "TEXT3"},
    {TrackingItem::text4, "Text5", "TEXT4"},
    {TrackingItem::text5, "Text8", "TEXT5"},
    {TrackingItem::text6, "Text7", "TEXT6"},
    {TrackingItem::text7, "Text6", "TEXT7"},
    {TrackingItem::text8, "Text12", "text8"},
    {TrackingItem::text9, "Text13", "text9"},
    {TrackingItem::moon_azimuth, "Text14", "text10"},
    {TrackingItem::moon_elevation, "Text15", "text11"},
}};

// Links are ended in the boxes' numeric order.
constexpr std::array<const char*, 11> closing_order{"Text1",  "Text3",  "Text4", "Text5",
                                                    "Text6",  "Text7",  "Text8", "Text12",
                                                    "Text13", "Text14", "Text15"};

constexpr const char* link_topic = "ORBX|EXTRN";

QString text(const char* ascii) {
    return QString::fromLatin1(ascii);
}

// One refresh's order: the tracked object's azimuth and elevation, which the move needs, then
// the other values once round, from `next` on. When the last refresh had time for nothing
// else, the next other value goes before the elevation: a program too slow for more than two
// values a cycle still has every value refreshed in turn, and the elevation every other cycle.
std::vector<std::size_t> refresh_order(bool satellite, std::size_t next, bool others_starved) {
    const TrackedItems tracked = tracked_items(satellite);
    const auto az = static_cast<std::size_t>(tracked.azimuth);
    const auto el = static_cast<std::size_t>(tracked.elevation);
    std::vector<std::size_t> order{az, el};
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        const std::size_t j = (next + i) % bindings.size();
        if (j != az && j != el) order.push_back(j);
    }
    if (others_starved) std::swap(order[1], order[2]);
    return order;
}

}  // namespace

void Form1::start_tracking_link() {
    const platform::DdeBatch batch(s_.dde, platform::refresh_budget_ms);
    try {
        s_.dde.link_setup(text(bindings[0].box_name), text(link_topic), text(bindings[0].item));
    } catch (const platform::ControlError&) {
        show_link_failed();
        warn_link_down();
    }
    link_tracking_boxes();
}

bool Form1::link_tracking_boxes() {
    if (!m_.orbx_linked()) return false;
    for (const Binding& b : bindings) {
        try {
            s_.dde.link_setup(text(b.box_name), text(link_topic), text(b.item));
        } catch (const platform::ControlError&) {
        }
    }
    const TrackingPass pass = request_tracking_values(false);
    // A program that owns the name but refuses every item gives nothing to follow.
    if (pass.arrived) {
        show_link_working();
    } else {
        show_link_failed();
    }
    return pass.arrived;
}

void Form1::refresh_tracking_values() {
    if (!m_.orbx_linked()) return;
    const platform::DdeBatch batch(s_.dde, platform::refresh_budget_ms);  // re-link included
    const double started = m_.now();
    const TrackingPass pass = request_tracking_values(true);
    if (!pass.failed) {
        // A slow program that answered part of it in time still works.
        if (pass.arrived) show_link_working();
        return;
    }
    // A re-link asks every box again: not worth starting once the time is spent.
    if (m_.now() - started < platform::refresh_budget_ms / 1000.0) {
        start_tracking_link();
    } else if (pass.arrived) {
        show_link_working();
    } else {
        show_link_failed();
    }
}

Form1::TrackingPass Form1::request_tracking_values(bool stop_at_failure) {
    TrackingPass pass;
    const bool starved = std::exchange(others_starved_, false);
    const bool satellite = Option1->isChecked();
    const TrackedItems tracked = tracked_items(satellite);
    bool other_arrived = false;
    for (const std::size_t i : refresh_order(satellite, next_refreshed_, starved)) {
        const Binding& b = bindings[i];
        const bool target = b.value == tracked.azimuth || b.value == tracked.elevation;
        try {
            take_tracking_value(b.value, s_.dde.request(text(b.box_name)));
            pass.arrived = true;
            // The next refresh goes on after the last other value that came.
            if (!target) {
                other_arrived = true;
                next_refreshed_ = (i + 1) % bindings.size();
            }
            continue;
        } catch (const platform::OutOfTime&) {
            others_starved_ = !other_arrived;
        } catch (const platform::ControlError&) {
            pass.failed = true;
            if (!stop_at_failure) continue;
        }
        break;
    }
    return pass;
}

void Form1::take_tracking_value(TrackingItem item, const QString& value) {
    state_.read_at[static_cast<std::size_t>(item)] = m_.now();
    show_tracking_value(item, value);
}

std::optional<double> Form1::value_age(TrackingItem item) {
    const auto& at = state_.read_at[static_cast<std::size_t>(item)];
    if (!m_.orbx_linked() || !at) return std::nullopt;
    return m_.now() - *at;
}

void Form1::show_staleness() {
    for (std::size_t i = 0; i < tracking_item_count; ++i) {
        const auto item = static_cast<TrackingItem>(i);
        QLineEdit* box = box_of(item);
        const bool stale = is_stale(value_age(item));
        if (box->property("stale").toBool() == stale) continue;
        box->setProperty("stale", stale);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Text,
                         stale ? QColor(Qt::gray) : QPalette().color(QPalette::Text));
        box->setPalette(palette);
        box->setAccessibleDescription(stale ? Form1::tr("古い値") : QString());
        box->setToolTip(stale ? Form1::tr("追尾ソフトから５秒以上届いていない値です") : QString());
    }
}

void Form1::show_link_working() {
    set_back_colour(Label1[0], lamp_on());
    set_back_colour(Label1[1], lamp_off());
    // Automatic tracking waits for a manual move to end.
    Command2->setEnabled(!state_.manual_tracking);
}

void Form1::show_link_failed() {
    set_back_colour(Label1[0], lamp_failed());
    set_back_colour(Label1[1], lamp_off());
    // Running automatic tracking must stay stoppable whatever the link does.
    Command2->setEnabled(state_.auto_tracking);
}

void Form1::warn_link_down() {
    // Marked before showing: the modal box lets timer ticks re-enter here.
    if (state_.link_warning_shown) return;
    state_.link_warning_shown = true;
    const QString warning = Form1::tr("ＯＲＢＸが起動していません。ＯＲＢＸを起動してください");
    if (!tick_running_) {
        s_.message_box.show(warning);
        return;
    }
    // Inside a tick the box waits for the tick to end, so that the cycle goes on under it.
    QTimer::singleShot(0, this, [this, warning] {
        if (!shutting_down_) s_.message_box.show(warning);
    });
}

void Form1::close_tracking_link() {
    if (m_.orbx_linked()) {
        for (const char* box : closing_order) {
            try {
                s_.dde.end_link(text(box));
            } catch (const platform::ControlError&) {
            }
        }
    }
    s_.help_viewer.quit(QStringLiteral("VBdeIE.hlp"));
}
