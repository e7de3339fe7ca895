#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

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
    //
    // A clear() inside a batch starts a redraw from a black picture. Between cycles most of it
    // stays the same (the grid, markers that do not move), so the picture keeps a copy of the
    // redraw's shapes up to the first one that changed last time, and a redraw that begins
    // with the same shapes starts from that copy; a redraw that repeats the last one on an
    // untouched picture draws nothing. What the picture shows is the same either way.
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
    const QImage& image() const;
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
    // One line or circle with the settings it is drawn with.
    struct Shape {
        bool circle = false;
        double a = 0, b = 0, c = 0, d = 0;  // x1 y1 x2 y2, or cx cy radius 0
        QColor colour;
        int width = 1;
        bool fill_solid = false;
        QColor fill_colour;  // only while solid
        bool operator==(const Shape&) const = default;
    };

    Shape shape(bool circle, double a, double b, double c, double d, const QColor& colour) const;
    void add(const Shape& s);
    void draw(const Shape& s);
    // Runs draw with a painter on the image: the batch's, or one of its own.
    template <class Draw>
    void paint(Draw&& draw);
    // Makes the picture black plus the first n shapes of this redraw.
    void catch_up(std::size_t n);
    // Image pixels a shape may have touched: its box widened by the pen and rounding.
    QRect reach(const Shape& s) const;
    void end_redraw();
    void forget_redraws();
    void ensure_image();
    QPen pen(const QColor& colour, int width) const;
    QPointF to_image(double x, double y) const;
    double image_scale() const;

    QImage image_;
    qreal ratio_ = 1;  // device pixels per logical pixel, as of the last ensure_image()
    bool fill_solid_ = false;
    QColor fill_colour_ = Qt::black;
    int draw_width_ = 1;
    bool batching_ = false;
    bool batch_drew_ = false;
    // Kept open on the image between redraws: opening and closing one costs more than drawing
    // the marker that moved.
    mutable std::optional<QPainter> painter_;

    // The redraw under way in a batch, and the last one.
    bool redrawing_ = false;
    bool same_so_far_ = false;  // every shape so far repeats the last redraw's; none drawn yet
    std::vector<Shape> shapes_;
    std::vector<Shape> last_shapes_;
    // The picture is exactly black plus last_shapes_ (nothing drawn on it since).
    bool shows_last_ = false;
    // Black plus the first kept_count_ shapes of the last redraw.
    QImage kept_;
    std::size_t kept_count_ = 0;
    qreal drawn_ratio_ = 0;
};
