#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <functional>
#include <limits>

#include "main_window/radar_picture.h"

// A batch must change how the picture is drawn, never what is drawn.

namespace {

using Drawing = std::function<void(RadarPicture&)>;

struct BatchRow {
    const char* name;
    Drawing draw;
};

// The picture a drawing leaves, drawn shape by shape or inside one batch.
QImage drawn(const Drawing& draw, bool batched) {
    RadarPicture picture;
    picture.resize(180, 180);
    if (batched) {
        const RadarPicture::Batch batch(picture);
        draw(picture);
    } else {
        draw(picture);
    }
    return picture.image();
}

const QColor white(255, 255, 255);
const QColor yellow(255, 255, 0);
const QColor green(0, 255, 0);

class SameAsShapeByShape : public ::testing::TestWithParam<BatchRow> {};

TEST_P(SameAsShapeByShape, LeavesTheSamePicture) {
    const QImage single = drawn(GetParam().draw, false);
    const QImage batched = drawn(GetParam().draw, true);
    ASSERT_FALSE(single.isNull());
    EXPECT_EQ(batched, single) << GetParam().name;
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Table, SameAsShapeByShape,
    ::testing::Values(BatchRow{"grid",
                               [](RadarPicture& p) {
                                   p.clear();
                                   p.line(0, 1350, 2700, 1350, white);
                                   p.line(1350, 0, 1350, 2700, white);
                                   for (const double r : {450.0, 900.0, 1350.0})
                                       p.circle(1350, 1350, r, white);
                               }},
                      BatchRow{"filled markers, then hollow again",
                               [](RadarPicture& p) {
                                   p.set_fill_solid(true);
                                   p.set_fill_colour(green);
                                   p.circle(700.5, 900.25, 50, white);
                                   p.set_fill_colour(yellow);
                                   p.circle(700.5, 900.25, 20, yellow);
                                   p.set_fill_solid(false);
                                   p.circle(1800, 1800, 300, yellow);
                               }},
                      BatchRow{"wide line between thin ones",
                               [](RadarPicture& p) {
                                   p.line(10, 10, 2000, 10, white);
                                   p.set_draw_width(4);
                                   p.line(1355, 1350, 1355, 400, green);
                                   p.set_draw_width(1);
                                   p.line(10, 2000, 2000, 2000, white);
                               }},
                      BatchRow{"cleared over earlier shapes",
                               [](RadarPicture& p) {
                                   p.circle(1350, 1350, 900, white);
                                   p.clear();
                                   p.line(0, 0, 2700, 2700, yellow);
                               }},
                      BatchRow{"shapes that cannot be drawn are skipped",
                               [](RadarPicture& p) {
                                   p.line(nan, 0, 100, 100, white);
                                   p.circle(1350, 1350, 1e300, white);
                                   p.circle(900, 900, 100, yellow);
                               }}),
    [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(RadarBatch, InnerBatchLeavesTheOuterOneDrawing) {
    const Drawing draw = [](RadarPicture& p) {
        p.clear();
        {
            const RadarPicture::Batch inner(p);
            p.circle(1350, 1350, 900, white);
        }
        p.line(0, 1350, 2700, 1350, yellow);  // still through the outer batch's painter
    };
    EXPECT_EQ(drawn(draw, true), drawn(draw, false));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(RadarBatch, ShownPictureIsRepaintedOnceTheBatchEnds) {
    RadarPicture picture;
    picture.resize(180, 180);
    picture.show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    picture.installEventFilter(&counter);
    {
        const RadarPicture::Batch batch(picture);
        picture.clear();
        picture.circle(1350, 1350, 900, white);
    }
    QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
}

}  // namespace
