#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "fakes/fake_services.h"
#include "main_window/form1.h"

// A main window on fake services, ready to tick: serial transport open and reporting, link
// on, satellite selected, the arrival tolerances set at start-up.
class RadarWindow : public ::testing::Test {
  protected:
    fake::World w;
    Module1& m = w.module;
    std::unique_ptr<Form1> form = w.make_form1();

    void SetUp() override {
        m.orbx_link = QStringLiteral("1");
        m.picnic_mode = QStringLiteral("0");
        w.serial.open = true;
        form->state().azimuth_tolerance = 2.0;
        form->state().elevation_tolerance = 2.0;
        form->Option1->setChecked(true);
        // The controller has reported over a healthy link: the antenna's place is known.
        m.link.opened(w.clock.mono);
        m.link.reply_arrived(w.clock.mono, true);
    }

    const QImage& image() const { return form->Picture1->image(); }

    QColor colour_at(double x, double y) const {
        const QPoint p = form->Picture1->image_pixel(x, y);
        return image().valid(p) ? image().pixelColor(p) : QColor();
    }

    // Whether the colour shows within `pixels` of the picture point (x, y).
    bool shows_near(double x, double y, const QColor& colour, int pixels = 1) const {
        const QPoint c = form->Picture1->image_pixel(x, y);
        for (int dy = -pixels; dy <= pixels; ++dy) {
            for (int dx = -pixels; dx <= pixels; ++dx) {
                const QPoint p = c + QPoint(dx, dy);
                if (image().valid(p) && image().pixelColor(p) == colour) return true;
            }
        }
        return false;
    }

    int count(const QColor& colour) const {
        int n = 0;
        for (int y = 0; y < image().height(); ++y) {
            for (int x = 0; x < image().width(); ++x)
                n += image().pixelColor(x, y) == colour ? 1 : 0;
        }
        return n;
    }

    QByteArray sent() const { return w.serial.written; }

    static inline const QColor white{255, 255, 255};
    static inline const QColor yellow{255, 255, 0};
    static inline const QColor green{0, 255, 0};
    static inline const QColor red{255, 0, 0};
    static inline const QColor black{0, 0, 0};
};
