#include "main_window/radar_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
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
    if (picture_.batching_) return;  // inside another batch: that one paints and repaints
    picture_.batching_ = true;
    picture_.batch_drew_ = false;
    owner_ = true;
}

RadarPicture::Batch::~Batch() {
    if (!owner_) return;
    picture_.end_redraw();
    picture_.batching_ = false;
    if (picture_.batch_drew_) picture_.update();
}

template <class Draw>
void RadarPicture::paint(Draw&& draw) {
    ensure_image();
    if (!painter_) {
        painter_.emplace(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
    }
    draw(*painter_);
    if (batching_) {
        batch_drew_ = true;
    } else {
        update();
    }
}

const QImage& RadarPicture::image() const {
    // A copy taken while a painter is open would change with the next drawing.
    painter_.reset();
    return image_;
}

double RadarPicture::image_scale() const {
    return ratio_ / twips_per_pixel;
}

void RadarPicture::ensure_image() {
    // Read once here for the drawing that follows: the widget asks its window's screen.
    ratio_ = devicePixelRatioF();
    const int inner = static_cast<int>(std::lround(2 * border_twips / twips_per_pixel));
    const QSize logical(std::max(1, width() - inner), std::max(1, height() - inner));
    const QSize physical = logical * ratio_;
    if (image_.size() != physical) {
        painter_.reset();  // a painter on the old image; the next drawing opens one again
        image_ = QImage(physical, QImage::Format_RGB32);
        image_.fill(Qt::black);
        forget_redraws();
    }
    // Shapes scale with the ratio: what was kept at another one is no use.
    if (drawn_ratio_ != ratio_) forget_redraws();
}

void RadarPicture::forget_redraws() {
    shows_last_ = false;
    last_shapes_.clear();
    kept_ = QImage();
    kept_count_ = 0;
    drawn_ratio_ = ratio_;
}

QPointF RadarPicture::to_image(double x, double y) const {
    const double scale = image_scale();
    return {x * scale, y * scale};
}

QPoint RadarPicture::image_pixel(double x, double y) const {
    const double scale = devicePixelRatioF() / twips_per_pixel;
    const QPointF p(x * scale, y * scale);
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

void RadarPicture::clear() {
    if (batching_) {
        // A redraw starts; a clear again inside it starts it over.
        ensure_image();
        redrawing_ = true;
        same_so_far_ = true;
        shapes_.clear();
        return;
    }
    shows_last_ = false;
    paint([this](QPainter& p) { p.fillRect(image_.rect(), Qt::black); });
}

RadarPicture::Shape RadarPicture::shape(bool circle, double a, double b, double c, double d,
                                        const QColor& colour) const {
    return {circle,      a,           b,
            c,           d,           colour,
            draw_width_, fill_solid_, fill_solid_ ? fill_colour_ : QColor()};
}

void RadarPicture::add(const Shape& s) {
    if (!redrawing_) {
        shows_last_ = false;
        draw(s);
        return;
    }
    shapes_.push_back(s);
    if (same_so_far_) {
        const std::size_t i = shapes_.size() - 1;
        if (i < last_shapes_.size() && last_shapes_[i] == s) return;
        catch_up(i);
    }
    draw(s);
}

QRect RadarPicture::reach(const Shape& s) const {
    if (!usable(s.a) || !usable(s.b) || !usable(s.c) || (!s.circle && !usable(s.d))) return {};
    const double scale = image_scale();
    const double r = s.circle ? std::abs(s.c) * scale : 0;
    const double x1 = s.circle ? s.a * scale - r : std::min(s.a, s.c) * scale;
    const double x2 = s.circle ? s.a * scale + r : std::max(s.a, s.c) * scale;
    const double y1 = s.circle ? s.b * scale - r : std::min(s.b, s.d) * scale;
    const double y2 = s.circle ? s.b * scale + r : std::max(s.b, s.d) * scale;
    const double margin = s.width * ratio_ + 2;
    const QRect box(
        QPoint(static_cast<int>(std::floor(x1 - margin)),
               static_cast<int>(std::floor(y1 - margin))),
        QPoint(static_cast<int>(std::ceil(x2 + margin)), static_cast<int>(std::ceil(y2 + margin))));
    return box.intersected(image_.rect());
}

void RadarPicture::catch_up(std::size_t n) {
    const bool showed_last = std::exchange(shows_last_, false);
    same_so_far_ = false;
    ensure_image();
    std::size_t from = 0;
    if (!kept_.isNull() && kept_count_ <= n && kept_.size() == image_.size()) {
        // The picture differs from the kept copy only where the last redraw's later shapes
        // fell: that is all that is copied back, a marker's box rather than the picture.
        QRect changed = image_.rect();
        if (showed_last && kept_count_ <= last_shapes_.size()) {
            changed = {};
            for (std::size_t i = kept_count_; i < last_shapes_.size(); ++i)
                changed |= reach(last_shapes_[i]);
        }
        // The painter draws into the image's own pixels; a shared image would part from them.
        if (!image_.isDetached()) painter_.reset();
        if (!changed.isEmpty()) {
            const qsizetype stride = image_.bytesPerLine();
            const qsizetype offset = changed.left() * 4;  // 32-bit pixels
            uchar* to = image_.bits() + changed.top() * stride + offset;
            const uchar* from_row = kept_.constBits() + changed.top() * stride + offset;
            for (int y = 0; y < changed.height(); ++y, to += stride, from_row += stride)
                std::memcpy(to, from_row, static_cast<std::size_t>(changed.width()) * 4);
        }
        from = kept_count_;
    } else {
        paint([this](QPainter& p) { p.fillRect(image_.rect(), Qt::black); });
    }
    batch_drew_ = true;
    for (std::size_t i = from; i < n; ++i) draw(shapes_[i]);
    if (kept_.isNull() || kept_count_ != n) {
        kept_ = image_.copy();  // a deep copy: the painter goes on drawing on image_
        kept_count_ = n;
    }
}

void RadarPicture::end_redraw() {
    if (!redrawing_) return;
    redrawing_ = false;
    // Every shape repeated the last redraw's: unless it had more, the picture already shows it.
    if (same_so_far_ && !(shows_last_ && shapes_.size() == last_shapes_.size())) {
        catch_up(shapes_.size());
    }
    same_so_far_ = false;
    last_shapes_.swap(shapes_);
    shows_last_ = true;
}

QPen RadarPicture::pen(const QColor& colour, int width) const {
    QPen pen(colour, width * ratio_);
    // Wide lines end in round caps, so the direction line has a rounded tip.
    pen.setCapStyle(width > 1 ? Qt::RoundCap : Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void RadarPicture::line(double x1, double y1, double x2, double y2, const QColor& colour) {
    add(shape(false, x1, y1, x2, y2, colour));
}

void RadarPicture::circle(double cx, double cy, double radius, const QColor& outline) {
    add(shape(true, cx, cy, radius, 0, outline));
}

void RadarPicture::draw(const Shape& s) {
    if (!s.circle) {
        if (!usable(s.a) || !usable(s.b) || !usable(s.c) || !usable(s.d)) return;
        paint([&](QPainter& p) {
            p.setPen(pen(s.colour, s.width));
            p.drawLine(to_image(s.a, s.b), to_image(s.c, s.d));
        });
        return;
    }
    if (!usable(s.a) || !usable(s.b) || !usable(s.c)) return;
    paint([&](QPainter& p) {
        p.setPen(pen(s.colour, s.width));
        p.setBrush(s.fill_solid ? QBrush(s.fill_colour) : Qt::NoBrush);
        const double r = std::abs(s.c) * image_scale();
        p.drawEllipse(to_image(s.a, s.b), r, r);
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
