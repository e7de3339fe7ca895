#include "main_window/legible.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr int min_stretch = 70;

QString caption_of(const QWidget* widget) {
    if (const auto* l = qobject_cast<const QLabel*>(widget)) return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(widget)) return b->text();
    return {};
}

// Room the widget leaves for its caption's text, in pixels.
int text_room(const QWidget* widget) {
    if (qobject_cast<const QLabel*>(widget)) return widget->width();
    // Option buttons and check boxes draw an indicator and a gap before the caption.
    const QStyle* style = widget->style();
    const bool radio = qobject_cast<const QRadioButton*>(widget) != nullptr;
    const int indicator = style->pixelMetric(
        radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth, nullptr, widget);
    const int gap = style->pixelMetric(
        radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing, nullptr,
        widget);
    return widget->width() - indicator - gap - 2;
}

}  // namespace

void fit_caption(QWidget* widget) {
    const QString text = caption_of(widget);
    if (text.isEmpty()) return;

    const auto* lb = qobject_cast<const QLabel*>(widget);
    if (lb && lb->wordWrap()) return;  // wrapped text uses its height, not a narrower font

    const int room = text_room(widget);
    // Trailing blanks (full-width ones included) only pad the caption; they may be clipped.
    QString visible = text;
    while (!visible.isEmpty() && visible.back().isSpace()) visible.chop(1);
    const int needed = widget->fontMetrics().horizontalAdvance(visible);
    if (needed > room && room > 0) {
        QFont f = widget->font();
        f.setStretch(std::max(min_stretch, room * 100 / needed));
        widget->setFont(f);
    }

    keep_line_height(widget);
}

void keep_line_height(QWidget* widget) {
    const int line = widget->fontMetrics().height();
    if (widget->height() >= line) return;
    const QRect g = widget->geometry();
    widget->setGeometry(g.x(), g.y() + (g.height() - line) / 2, g.width(), line);
}

void fit_captions(QWidget* parent) {
    for (QWidget* w : parent->findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) || qobject_cast<QRadioButton*>(w) ||
            qobject_cast<QCheckBox*>(w)) {
            fit_caption(w);
        }
    }
}

void draw_tight_text(QPainter& p, const QRect& area, const QString& text, const QFont& font,
                     Qt::Alignment align) {
    // Break the text as the text engine would (it knows where Japanese may break), but stack
    // the lines one em apart: the font's own line spacing is far looser than the design's.
    QTextLayout layout(text, font);
    QTextOption wrap(align & Qt::AlignHorizontal_Mask);
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
    }
    layout.endLayout();

    const int em = QFontInfo(font).pixelSize();
    const int step = tight_line_step(font);
    const int lines = layout.lineCount();
    const double block = lines * step - 1;
    const double first_top =
        (align & Qt::AlignVCenter) ? area.top() + (area.height() - block) / 2.0 : area.top() + 1.0;
    for (int i = 0; i < lines; ++i) {
        QTextLine line = layout.lineAt(i);
        const double baseline = first_top + i * step + em * 0.88;
        line.setPosition(QPointF(0, baseline - line.ascent()));
    }
    layout.draw(&p, QPointF(area.left(), 0));
}

int tight_line_step(const QFont& font) {
    return QFontInfo(font).pixelSize() + 1;
}

CaptionButton::CaptionButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void CaptionButton::set_face(const QColor& colour) {
    if (colour == face_) return;
    face_ = colour;
    if (face_.isValid() && face_ != palette_colour_) {
        palette_colour_ = face_;
        face_palette_ = palette();
        face_palette_.setColor(QPalette::Button, face_);
    }
    update();
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (face_.isValid()) option.palette = face_palette_;
    const QString caption = option.text;
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    if (caption.isEmpty()) return;
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    draw_tight_text(p, rect().adjusted(3, 2, -3, -2), caption, font(), Qt::AlignCenter);
}

TightLabel::TightLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void TightLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    draw_tight_text(p, contentsRect(), text(), font(), Qt::AlignLeft | Qt::AlignTop);
}

FrameBox::FrameBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

void FrameBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const int em = QFontInfo(font()).pixelSize();
    // Japanese glyphs rise about 0.88 em above the baseline: start their ink one pixel down.
    const int baseline = 1 + em * 88 / 100;
    const int border_y = 1 + em / 2;

    const QRect box = rect().adjusted(0, border_y, -1, -1);
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(pal.color(QPalette::Light));
    p.drawRect(box.adjusted(1, 1, 0, 0));

    const QString caption = title();
    if (caption.isEmpty()) return;
    const int x = 6;
    const int text_width = fontMetrics().horizontalAdvance(caption);
    p.fillRect(QRect(x - 2, 0, text_width + 4, border_y + 3), pal.brush(QPalette::Window));
    p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(QPoint(x, baseline), caption);
}
