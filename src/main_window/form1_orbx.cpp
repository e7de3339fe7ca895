#include <QTimer>
#include <array>

#include "main_window/form1.h"
#include "platform/control_error.h"

// The tracking program's links: eleven boxes, each its own manual conversation, asked for a
// fresh value on every cycle.

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

void Form1::link_tracking_boxes() {
    if (!m_.orbx_linked()) return;
    for (const Binding& b : bindings) {
        try {
            s_.dde.link_setup(text(b.box_name), text(link_topic), text(b.item));
        } catch (const platform::ControlError&) {
        }
    }
    bool any_value = false;
    for (const Binding& b : bindings) {
        try {
            show_tracking_value(b.value, s_.dde.request(text(b.box_name)));
            any_value = true;
        } catch (const platform::ControlError&) {
        }
    }
    // A program that owns the name but refuses every item gives nothing to follow.
    if (!any_value) show_link_failed();
}

void Form1::refresh_tracking_values() {
    if (!m_.orbx_linked()) return;
    const platform::DdeBatch batch(s_.dde, platform::refresh_budget_ms);  // re-link included
    try {
        for (const Binding& b : bindings)
            show_tracking_value(b.value, s_.dde.request(text(b.box_name)));
    } catch (const platform::ControlError&) {
        start_tracking_link();
        return;
    }
    set_back_colour(Label1[0], lamp_on());
    set_back_colour(Label1[1], lamp_off());
    Command2->setEnabled(true);
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
