#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

class QPainter;

// The designs were laid out for a bitmap UI font with tight line spacing; with a scalable
// Japanese font the same captions need a little help to stay readable in the same places.

// Lets a single-line label's or an option's caption fit its designed width by narrowing the font
// (never below 70 % of its width), and gives it at least the font's line height, centred on the
// designed box, so nothing is clipped.
void fit_caption(QWidget* widget);

// Gives a widget at least its font's line height, centred on its designed box.
void keep_line_height(QWidget* widget);

// Applies fit_caption to every text-carrying label, option and check box under parent.
void fit_captions(QWidget* parent);

// Draws text wrapped to the area's width with lines one em (plus a pixel) apart.
void draw_tight_text(QPainter& p, const QRect& area, const QString& text, const QFont& font,
                     Qt::Alignment align);
// Distance between the baselines of two lines drawn by draw_tight_text.
int tight_line_step(const QFont& font);

// A push button whose caption wraps onto a second line when it is wider than the button, as
// the small buttons of the design expect.
class CaptionButton final : public QPushButton {
    Q_OBJECT
  public:
    CaptionButton(const QString& text, QWidget* parent);
    // The face in this colour; an invalid colour gives back the style's own.
    void set_face(const QColor& colour);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor face_;
    // Made once per colour and kept: the style caches its drawings under the palette's
    // identity, so a new palette at every change would add to that cache without end.
    QColor palette_colour_;
    QPalette face_palette_;
};

// A word-wrapped label whose lines sit closer together than the font's own spacing, so a
// paragraph fits the small box the design gives it.
class TightLabel final : public QLabel {
    Q_OBJECT
  public:
    TightLabel(const QString& text, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// A frame drawn as the design expects: its caption sits on the top border line and the whole
// box, caption included, shows the frame's background colour.
class FrameBox final : public QGroupBox {
    Q_OBJECT
  public:
    FrameBox(const QString& title, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
