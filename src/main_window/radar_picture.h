#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QWidget>
#include <functional>
#include <optional>

// The radar's picture box: a black picture with a sunken border, drawn in picture units
// (twips) into a backing image so the drawing survives being covered. It only draws what it
// is told; the geometry lives elsewhere.
class RadarPicture final : public QWidget {
    Q_OBJECT
  public:
    static constexpr double twips_per_pixel = 15.0;
    static constexpr double border_twips = 30.0;

    explicit RadarPicture(QWidget* parent = nullptr);

    // While one lives, every shape goes through one painter and the repaint is asked for once,
    // when it ends: the whole picture is redrawn on every cycle, and a painter and a repaint
    // request per shape cost more than drawing most of the shapes.
    class Batch {
      public:
        explicit Batch(RadarPicture& picture);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        RadarPicture& picture_;
        bool owner_ = false;
    };

    // Outer size in picture units, read from the widget every time.
    double outer_width() const { return width() * twips_per_pixel; }
    double outer_height() const { return height() * twips_per_pixel; }

    void clear();
    // Leaves on the picture what draw leaves on it, where draw paints the whole picture from
    // nothing but its size and the drawing settings: the first time at a size, device ratio and
    // settings it runs draw and keeps the result, later it puts the kept image back. The grid is
    // the same every cycle, and copying it back costs less than drawing it again.
    template <class Draw>
    void draw_backdrop(Draw&& draw) {
        const BackdropKey key = backdrop_key();
        if (restore_backdrop(key)) return;
        draw();
        keep_backdrop(key);
    }
    // Line in its colour at the current line width. Shapes with coordinates that are not
    // finite, or absurdly far off the picture, are not drawn.
    void line(double x1, double y1, double x2, double y2, const QColor& colour);
    // Full circle outlined in its colour at the current line width; filled with the fill colour
    // while the fill style is solid, hollow while it is transparent.
    void circle(double cx, double cy, double radius, const QColor& outline);
    void set_fill_solid(bool solid) { fill_solid_ = solid; }
    bool fill_solid() const { return fill_solid_; }
    void set_fill_colour(const QColor& colour) { fill_colour_ = colour; }
    void set_draw_width(int pixels) { draw_width_ = pixels; }
    int draw_width() const { return draw_width_; }

    // The drawing (inner area), one image pixel per logical pixel times the device ratio.
    const QImage& image() const { return image_; }
    // Image pixel that holds picture point (x, y): whole pixels of 15 units, rounded down,
    // times the device ratio; lines and circle rims through (x, y) land on that pixel.
    QPoint image_pixel(double x, double y) const;

    // Mouse-down: button, modifiers and the point in picture units.
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, double, double)> on_mouse_down;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Runs draw with a painter on the image: the batch's, or one of its own.
    template <class Draw>
    void paint(Draw&& draw);
    void ensure_image();
    QPen pen(const QColor& colour) const;
    QPointF to_image(double x, double y) const;
    double image_scale() const;

    QImage image_;
    bool fill_solid_ = false;
    QColor fill_colour_ = Qt::black;
    int draw_width_ = 1;
    std::optional<QPainter> batch_;
    // What the kept backdrop was drawn with.
    struct BackdropKey {
        QSize widget_size;
        qreal ratio = 0;
        bool fill_solid = false;
        QColor fill_colour;
        int draw_width = 0;
        bool operator==(const BackdropKey&) const = default;
    };
    BackdropKey backdrop_key() const;
    bool restore_backdrop(const BackdropKey& key);
    void keep_backdrop(const BackdropKey& key);

    QImage backdrop_;
    BackdropKey backdrop_drawn_with_;
};
