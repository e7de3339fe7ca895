#include "main_window/radar_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

RadarPicture::RadarPicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double RadarPicture::image_scale() const { return devicePixelRatioF() / twips_per_pixel; }

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
    ensure_image();
    image_.fill(Qt::black);
    update();
}

void RadarPicture::line(double x1, double y1, double x2, double y2, const QColor& colour) {
    ensure_image();
    QPainter p(&image_);
    QPen pen(colour, draw_width_ * devicePixelRatioF());
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.drawLine(to_image(x1, y1), to_image(x2, y2));
    update();
}

void RadarPicture::circle(double cx, double cy, double radius, const QColor& outline) {
    ensure_image();
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(outline, draw_width_ * devicePixelRatioF()));
    p.setBrush(fill_solid_ ? QBrush(fill_colour_) : Qt::NoBrush);
    const double r = std::abs(radius) * image_scale();
    p.drawEllipse(to_image(cx, cy), r, r);
    update();
}

void RadarPicture::paintEvent(QPaintEvent*) {
    ensure_image();
    QPainter p(this);
    const QRect all = rect();
    // Sunken 3-D border, then the drawing inside it.
    p.fillRect(all, palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(all.topLeft(), all.topRight());
    p.drawLine(all.topLeft(), all.bottomLeft());
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(all.bottomLeft(), all.bottomRight());
    p.drawLine(all.topRight(), all.bottomRight());
    const int b = static_cast<int>(std::lround(border_twips / twips_per_pixel));
    QImage shown = image_;
    shown.setDevicePixelRatio(devicePixelRatioF());
    p.drawImage(QPoint(b, b), shown);
}

void RadarPicture::mousePressEvent(QMouseEvent* event) {
    if (!on_mouse_down) return;
    const double b = border_twips;
    const QPointF pos = event->position();
    on_mouse_down(event->button(), event->modifiers(), pos.x() * twips_per_pixel - b,
                  pos.y() * twips_per_pixel - b);
}

void RadarPicture::resizeEvent(QResizeEvent*) { ensure_image(); }
