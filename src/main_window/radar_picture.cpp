#include "main_window/radar_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <array>
#include <cmath>
#include <utility>

namespace {

// Far beyond the picture the painter's fixed-point arithmetic overflows; such shapes are not
// visible anyway.
constexpr double max_coordinate = 1.0e6;

bool usable(double v) {
    return std::isfinite(v) && std::abs(v) <= max_coordinate;
}

}  // namespace

RadarPicture::RadarPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

RadarPicture::Batch::Batch(RadarPicture& picture) : picture_(picture) {
    if (picture_.batch_) return;  // inside another batch: that one paints and repaints
    picture_.ensure_image();
    picture_.batch_.emplace(&picture_.image_);
    picture_.batch_->setRenderHint(QPainter::Antialiasing, false);
    owner_ = true;
}

RadarPicture::Batch::~Batch() {
    if (!owner_) return;
    picture_.batch_.reset();
    picture_.update();
}

template <class Draw>
void RadarPicture::paint(Draw&& draw) {
    if (batch_) {
        draw(*batch_);
        return;
    }
    ensure_image();
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    draw(p);
    update();
}

double RadarPicture::image_scale() const {
    return devicePixelRatioF() / twips_per_pixel;
}

void RadarPicture::ensure_image() {
    const int inner = static_cast<int>(std::lround(2 * border_twips / twips_per_pixel));
    const QSize logical(std::max(1, width() - inner), std::max(1, height() - inner));
    const QSize physical = logical * devicePixelRatioF();
    if (image_.size() != physical) {
        image_ = QImage(physical, QImage::Format_RGB32);
        image_.fill(Qt::black);
    }
}

QPointF RadarPicture::to_image(double x, double y) const {
    return {x * image_scale(), y * image_scale()};
}

QPoint RadarPicture::image_pixel(double x, double y) const {
    const QPointF p = to_image(x, y);
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

void RadarPicture::clear() {
    paint([this](QPainter& p) { p.fillRect(image_.rect(), Qt::black); });
}

QPen RadarPicture::pen(const QColor& colour) const {
    QPen pen(colour, draw_width_ * devicePixelRatioF());
    // Wide lines end in round caps, so the direction line has a rounded tip.
    pen.setCapStyle(draw_width_ > 1 ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void RadarPicture::line(double x1, double y1, double x2, double y2, const QColor& colour) {
    if (!usable(x1) || !usable(y1) || !usable(x2) || !usable(y2)) return;
    paint([&](QPainter& p) {
        p.setPen(pen(colour));
        p.drawLine(to_image(x1, y1), to_image(x2, y2));
    });
}

void RadarPicture::circle(double cx, double cy, double radius, const QColor& outline) {
    if (!usable(cx) || !usable(cy) || !usable(radius)) return;
    paint([&](QPainter& p) {
        p.setPen(pen(outline));
        p.setBrush(fill_solid_ ? QBrush(fill_colour_) : Qt::NoBrush);
        const double r = std::abs(radius) * image_scale();
        p.drawEllipse(to_image(cx, cy), r, r);
    });
}

void RadarPicture::paintEvent(QPaintEvent*) {
    ensure_image();
    QPainter p(this);
    const int b = static_cast<int>(std::lround(border_twips / twips_per_pixel));
    // Sunken 3-D border: shadow above and left, light below and right, two pixels deep.
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QPalette& pal = palette();
    const std::array<std::pair<QColor, QColor>, 2> rims{
        std::pair{pal.color(QPalette::Mid), pal.color(QPalette::Light)},
        std::pair{pal.color(QPalette::Shadow), pal.color(QPalette::Midlight)}};
    for (int i = 0; i < b && i < static_cast<int>(rims.size()); ++i) {
        const QRect r = rect().adjusted(i, i, -i, -i);
        p.setPen(rims[static_cast<size_t>(i)].first);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(rims[static_cast<size_t>(i)].second);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    QImage shown = image_;
    shown.setDevicePixelRatio(devicePixelRatioF());
    p.drawImage(QPoint(b, b), shown);
}

void RadarPicture::mousePressEvent(QMouseEvent* event) {
    if (!on_mouse_down) return;
    const double b = border_twips;
    const QPointF pos = event->position();
    // The sunken border is not part of the drawing: a press there picks nothing.
    const int bp = static_cast<int>(std::lround(border_twips / twips_per_pixel));
    const QPoint pixel(static_cast<int>(std::floor(pos.x())),
                       static_cast<int>(std::floor(pos.y())));
    if (!rect().adjusted(bp, bp, -bp, -bp).contains(pixel)) return;
    on_mouse_down(event->button(), event->modifiers(), pos.x() * twips_per_pixel - b,
                  pos.y() * twips_per_pixel - b);
}

void RadarPicture::resizeEvent(QResizeEvent*) {
    ensure_image();
}
