#include <QCoreApplication>
#include <QMouseEvent>
#include <cmath>
#include <limits>

#include "radar_fixture.h"

namespace {

using RadarDrawing = RadarWindow;

TEST_F(RadarDrawing, GridIsOnePixelWhiteOnBlack) {
    form->state().antenna_azimuth = 180;  // direction line below the centre
    form->state().antenna_elevation = 45;
    form->draw_radar();
    ASSERT_EQ(image().size(), QSize(176, 176));
    EXPECT_EQ(colour_at(300, 1350), white);
    EXPECT_EQ(colour_at(300, 1335), black);  // one pixel above
    EXPECT_EQ(colour_at(300, 1365), black);  // one pixel below
    EXPECT_EQ(colour_at(1350, 300), white);
    EXPECT_EQ(colour_at(1335, 300), black);
    EXPECT_EQ(colour_at(1365, 300), black);
    // The three rings at 45 degrees.
    for (const double r : {450.0, 900.0, 1350.0}) {
        EXPECT_TRUE(shows_near(1350 - r / std::sqrt(2.0), 1350 - r / std::sqrt(2.0), white)) << r;
    }
    EXPECT_EQ(colour_at(1000, 600), black);
}

struct AntennaPixelRow {
    double azimuth;
    double elevation;
    double x;
    double y;
};

class AntennaPixels : public RadarWindow, public ::testing::WithParamInterface<AntennaPixelRow> {};

TEST_P(AntennaPixels, RedCentreAtThePolarPointOfThePosition) {
    const AntennaPixelRow& r = GetParam();
    form->state().antenna_azimuth = r.azimuth;
    form->state().antenna_elevation = r.elevation;
    form->draw_radar();
    EXPECT_EQ(colour_at(r.x, r.y), red) << r.azimuth << "/" << r.elevation;
    EXPECT_EQ(form->Picture1->draw_width(), 1);
    EXPECT_FALSE(form->Picture1->fill_solid());
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Table, AntennaPixels,
    ::testing::Values(AntennaPixelRow{0, 0, 1350, 0}, AntennaPixelRow{90, 30, 2250, 1350},
                      AntennaPixelRow{180, 60, 1350, 1800}, AntennaPixelRow{-10, -3, 1350, 0},
                      AntennaPixelRow{nan, nan, 1350, 0},
                      AntennaPixelRow{225, 45, 1350 - 477.297, 1350 + 477.297}));

TEST_F(RadarDrawing, DirectionLineIsFourPixelsWideAndStartsAtTheCentre) {
    form->state().antenna_azimuth = 0;
    form->state().antenna_elevation = 0;
    form->draw_radar();
    const QPoint centre = form->Picture1->image_pixel(1355, 1350);
    const int row = form->Picture1->image_pixel(0, 600).y();
    int greens = 0;
    for (int x = 0; x < image().width(); ++x) greens += image().pixelColor(x, row) == green ? 1 : 0;
    EXPECT_EQ(greens, 4);
    EXPECT_EQ(image().pixelColor(centre.x(), row), green);
    // Nothing green below the centre (the round cap reaches at most two pixels).
    EXPECT_EQ(image().pixelColor(centre.x(), centre.y() + 3), white);
}

TEST_F(RadarDrawing, NoAntennaWhileItsPlaceIsUnknown) {
    m.link.lost(w.clock.mono, QStringLiteral("gone"));  // neither at north nor where it was
    form->draw_radar();
    EXPECT_EQ(count(red) + count(green), 0);
}

TEST_F(RadarDrawing, HugePositionSkipsTheAntennaButDrawsTheRest) {
    form->state().antenna_elevation = 1e308;
    form->state().antenna_azimuth = std::numeric_limits<double>::infinity();
    form->draw_radar();
    EXPECT_EQ(count(red), 0);
    EXPECT_EQ(colour_at(450, 1350), white);
}

struct BoxRow {
    const char* azimuth;
    const char* elevation;
    double x;  // where the marker would stand
    double y;
    bool shown;
};

class TargetMarker : public RadarWindow, public ::testing::WithParamInterface<BoxRow> {};

TEST_P(TargetMarker, GreenUnlessBelowTheHorizonOrNoNumber) {
    const BoxRow& r = GetParam();
    form->state().antenna_azimuth = 180;  // keep the antenna and the Moon out of the way
    form->state().antenna_elevation = 45;
    form->show_tracking_value(TrackingItem::moon_elevation, QStringLiteral("-1"));
    form->show_tracking_value(TrackingItem::satellite_azimuth, QString::fromUtf8(r.azimuth));
    form->show_tracking_value(TrackingItem::satellite_elevation, QString::fromUtf8(r.elevation));
    form->draw_radar();
    EXPECT_EQ(colour_at(r.x, r.y) == green, r.shown) << r.azimuth << "/" << r.elevation;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TargetMarker,
    ::testing::Values(BoxRow{"135", "-5", 1350 + 1007.627, 1350 + 1007.627, false},
                      BoxRow{"135", "5", 1350 + 901.561, 1350 + 901.561, true},
                      BoxRow{"", "", 1350, 0, true}, BoxRow{"---", "x", 1350, 0, false},
                      BoxRow{"90", "120", 900, 1350, true}, BoxRow{"90", "1E308", 1350, 0, false}));

class MoonMarker : public RadarWindow, public ::testing::WithParamInterface<const char*> {};

TEST_P(MoonMarker, AbsentOnlyWhileTheLinkIsOff) {
    m.orbx_link = QString::fromUtf8(GetParam());
    form->show_tracking_value(TrackingItem::moon_azimuth, QStringLiteral("270"));
    form->show_tracking_value(TrackingItem::moon_elevation, QStringLiteral("30"));
    form->draw_radar();
    EXPECT_EQ(colour_at(450, 1350) == yellow, m.orbx_link != QStringLiteral("0")) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Table, MoonMarker, ::testing::Values("0", "1", "", "2"));

TEST_F(RadarDrawing, KeepsItsDrawingWhenPaintedAgain) {
    form->draw_radar();
    const QImage before = image().copy();
    form->Picture1->repaint();
    EXPECT_EQ(image(), before);
}

// A redraw starts from a copy of what stayed the same since the last one, or draws nothing
// when all of it did: every redraw must leave the picture a fresh window's first (full) redraw
// leaves, also after the picture changed size or a click drew on it.
TEST_F(RadarDrawing, RedrawLeavesThePictureOfAFullRedraw) {
    struct Step {
        QSize size;
        double azimuth;  // of the antenna
        const char* target_azimuth;
        bool click_first;  // draws the picked point's rings on the picture
    };
    auto redraw = [](Form1& f, const Step& s) {
        f.Picture1->resize(s.size);
        f.show_tracking_value(TrackingItem::satellite_azimuth, QString::fromUtf8(s.target_azimuth));
        f.show_tracking_value(TrackingItem::satellite_elevation, QStringLiteral("30"));
        f.show_tracking_value(TrackingItem::moon_azimuth, QStringLiteral("300"));
        f.show_tracking_value(TrackingItem::moon_elevation, QStringLiteral("40"));
        if (s.click_first) f.Picture1_MouseDown(Qt::LeftButton, {}, 900, 1800);
        f.state().target_picked = true;
        f.state().picked_x = 1800;
        f.state().picked_y = 900;
        f.state().antenna_azimuth = s.azimuth;
        f.state().antenna_elevation = 20;
        f.draw_radar();
        return f.Picture1->image().copy();
    };
    const Step steps[] = {
        {{180, 180}, 100, "120", false}, {{180, 180}, 250, "120", false},  // antenna moved
        {{180, 180}, 250, "300", false},                                   // target moved too
        {{180, 180}, 250, "300", false},                                   // nothing moved
        {{180, 180}, 250, "300", true},  {{240, 200}, 250, "300", false},
        {{240, 200}, 10, "45", false},   {{180, 180}, 10, "45", false}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const QImage kept = redraw(*form, steps[i]);
        const auto fresh = w.make_form1();
        const QImage full =
            redraw(*fresh, {steps[i].size, steps[i].azimuth, steps[i].target_azimuth, false});
        ASSERT_EQ(kept.size(), full.size()) << "step " << i;
        EXPECT_TRUE(kept == full) << "step " << i;
    }
}

// Redraws that follow each other with nothing read between them draw into the same picture;
// a copy taken earlier stays as it was.
TEST_F(RadarDrawing, CopiesAndRedrawsInARowShowTheirOwnRedraw) {
    auto at = [](Form1& f, double azimuth) {
        f.state().antenna_azimuth = azimuth;
        f.state().antenna_elevation = 20;
        f.draw_radar();
    };
    auto full = [&](double azimuth) {
        const auto fresh = w.make_form1();
        at(*fresh, azimuth);
        return fresh->Picture1->image().copy();
    };
    at(*form, 100);
    const QImage first = image();
    for (const double azimuth : {101.0, 102.0, 250.0}) at(*form, azimuth);
    EXPECT_TRUE(first == full(100));
    EXPECT_TRUE(image() == full(250));
}

// --- picking ---------------------------------------------------------------------------------

using Picking = RadarWindow;

TEST_F(Picking, ClickStoresTheAnglesAndDrawsHollowRingsAtOnce) {
    form->draw_radar();
    form->Picture1_MouseDown(Qt::RightButton, Qt::ShiftModifier, 1850, 850);
    EXPECT_TRUE(form->state().target_picked);
    EXPECT_DOUBLE_EQ(form->state().radar_centre_x, 1350);
    EXPECT_DOUBLE_EQ(form->state().radar_centre_y, 1350);
    EXPECT_DOUBLE_EQ(form->state().picked_x, 1850);
    EXPECT_NEAR(form->state().target_azimuth, 44.99999999986, 1e-11);
    EXPECT_NEAR(form->state().target_elevation, 42.86, 5e-3);
    EXPECT_TRUE(shows_near(1850 + 50, 850, white));
    EXPECT_TRUE(shows_near(1850, 850, yellow));
    EXPECT_EQ(colour_at(1850 + 30, 850), black);  // hollow
    EXPECT_TRUE(w.message_box.shown.isEmpty());
    // The next redraw shows the filled marker instead.
    form->draw_radar();
    EXPECT_EQ(colour_at(1850 + 30, 850), white);
    EXPECT_TRUE(shows_near(1850, 850, yellow));
}

TEST_F(Picking, SouthBasePointTurnsTheAzimuth) {
    for (const auto& [origin, azimuth] :
         {std::pair{"1", 224.99999999986}, std::pair{"abc", 44.99999999986},
          std::pair{"", 44.99999999986}, std::pair{"0", 44.99999999986}}) {
        m.azimuth_origin = QString::fromUtf8(origin);
        form->Picture1_MouseDown(Qt::LeftButton, {}, 1850, 850);
        EXPECT_NEAR(form->state().target_azimuth, azimuth, 1e-11) << origin;
    }
}

TEST_F(Picking, MousePressMapsPixelsToPictureUnitsInsideTheBorder) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(125, 59), QPointF(125, 59),
                      Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->Picture1, &press);
    EXPECT_DOUBLE_EQ(form->state().picked_x, 125 * 15 - 30);
    EXPECT_DOUBLE_EQ(form->state().picked_y, 59 * 15 - 30);
    EXPECT_TRUE(form->state().target_picked);
}

TEST_F(Picking, PressOnTheBorderPicksNothing) {
    const int last = form->Picture1->width() - 1;  // 180 pixels, a 2-pixel border each side
    auto press_at = [&](int x, int y) {
        form->state().target_picked = false;
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), QPointF(x, y), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form->Picture1, &press);
        return form->state().target_picked;
    };
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{1, 90}, std::pair{90, 1},
                               std::pair{last, 90}, std::pair{90, last - 1}})
        EXPECT_FALSE(press_at(x, y)) << x << "," << y;
    for (const auto& [x, y] : {std::pair{2, 2}, std::pair{last - 2, last - 2}})
        EXPECT_TRUE(press_at(x, y)) << x << "," << y;
}

struct RefusalRow {
    std::int16_t operation_mode;
    bool auto_tracking;
    bool manual_tracking;
    const char* message;  // nullptr: ignored silently
};

class Refusal : public RadarWindow, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(Refusal, KeepsTheEarlierPick) {
    const RefusalRow& r = GetParam();
    form->Picture1_MouseDown(Qt::LeftButton, {}, 1850, 850);
    form->draw_radar();
    const QImage before = image().copy();
    form->state().radar_centre_x = form->state().radar_centre_y = -1;
    m.operation_mode = static_cast<OperationMode>(r.operation_mode);
    form->state().auto_tracking = r.auto_tracking;
    form->state().manual_tracking = r.manual_tracking;
    form->Picture1_MouseDown(Qt::LeftButton, {}, 600, 2000);
    EXPECT_DOUBLE_EQ(form->state().picked_x, 1850);
    EXPECT_NEAR(form->state().target_azimuth, 44.99999999986, 1e-11);
    EXPECT_EQ(image(), before);
    if (r.message) {
        EXPECT_EQ(w.message_box.shown, QStringList{QString::fromUtf8(r.message)});
        EXPECT_DOUBLE_EQ(form->state().radar_centre_x, 1350);
    } else {
        EXPECT_TRUE(w.message_box.shown.isEmpty());
        EXPECT_DOUBLE_EQ(form->state().radar_centre_x, -1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Refusal,
    ::testing::Values(
        RefusalRow{99, 0, 0, nullptr}, RefusalRow{99, 1, 1, nullptr},
        RefusalRow{0, 1, 0, "自動追跡中です！！"}, RefusalRow{0, 1, 1, "自動追跡中です！！"},
        RefusalRow{0, 0, 1, "すでに手動で追跡中です！！　中止してから再度指定してください。"}));

}  // namespace
