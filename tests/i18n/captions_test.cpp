#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QTextLayout>
#include <QTranslator>

#include "about/form3.h"
#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "main_window/goto_dialog.h"
#include "main_window/legible.h"
#include "main_window/ui_language.h"
#include "settings_dialog/form2.h"

namespace {

// Lines a caption takes when the text engine wraps it into `room` pixels (it knows where
// Japanese may break); a piece that cannot be broken and is wider counts as too many.
int wrapped_lines(const QFont& font, const QString& text, int room) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(room);
        if (line.naturalTextWidth() > room) return 99;
        ++lines;
    }
    layout.endLayout();
    return lines;
}

// Lines one em apart that a control's height holds (the two-line captions of the design).
int lines_held(const QWidget* w) {
    const int em = QFontInfo(w->font()).pixelSize();
    return std::max(1, (w->height() + em / 2) / em);
}

// What of a control's caption is cut off or runs into its neighbours, for the message.
QString clipped(const QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    const QStyle* style = w->style();
    if (const auto* frame = qobject_cast<const QGroupBox*>(w)) {
        return fm.horizontalAdvance(frame->title()) + 12 <= w->width() ? QString() : frame->title();
    }
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        // A paragraph with tight lines takes one step per wrapped line.
        if (qobject_cast<const TightLabel*>(w)) {
            const int lines =
                wrapped_lines(w->font(), label->text(), label->contentsRect().width());
            return lines * tight_line_step(w->font()) <= w->height() + 1 ? QString()
                                                                         : label->text();
        }
        if (label->wordWrap()) return {};  // paragraphs are checked by their own tests
        return wrapped_lines(w->font(), label->text().trimmed(), w->width()) <= lines_held(w)
                   ? QString()
                   : label->text();
    }
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    if (button == nullptr || button->text().isEmpty()) return {};
    int room = w->width() - 6;
    if (qobject_cast<const QRadioButton*>(w) || qobject_cast<const QCheckBox*>(w)) {
        const bool radio = qobject_cast<const QRadioButton*>(w) != nullptr;
        room = w->width() - 2 -
               style->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth
                                        : QStyle::PM_IndicatorWidth) -
               style->pixelMetric(radio ? QStyle::PM_RadioButtonLabelSpacing
                                        : QStyle::PM_CheckBoxLabelSpacing);
    }
    // The small buttons wrap their caption onto the lines their height holds.
    const int lines = qobject_cast<const CaptionButton*>(w) ? lines_held(w) : 1;
    return wrapped_lines(w->font(), button->text(), room) <= lines ? QString() : button->text();
}

// `scaled`: a control that narrows its own drawing to fit, whatever its caption.
void expect_captions_fit(const QWidget* window, const QWidget* scaled = nullptr) {
    const QRect inside = window->rect();
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (w == scaled) continue;
        // Controls placed outside the window on purpose are never seen.
        if (!inside.contains(QRect(w->mapTo(window, QPoint(0, 0)), w->size()))) continue;
        EXPECT_EQ(clipped(w), QString())
            << window->windowTitle().toStdString() << " " << w->objectName().toStdString();
    }
}

// Every window in both languages, with the font the program sets: each caption whole in the
// place the design gives its control.
TEST(Captions, FitTheirDesignedPlacesInBothLanguages) {
    const QFont before = QApplication::font();
    QFont ui_font(QStringLiteral("Noto Sans CJK JP"));
    ui_font.setPixelSize(12);
    QApplication::setFont(ui_font);
    for (const UiLanguage language : {UiLanguage::japanese, UiLanguage::english}) {
        QTranslator translation;
        ASSERT_TRUE(install_ui_language(*qApp, translation, language));
        for (const char* picnic : {"0", "1"}) {
            fake::World w;
            w.set_ini(QStringLiteral("GS232B"), QStringLiteral("PICNIC"),
                      QString::fromLatin1(picnic));
            w.set_ini(QStringLiteral("TCP/IP"), QStringLiteral("IP"), QStringLiteral("127.0.0.1"));
            const auto form = w.load_form1();
            expect_captions_fit(form.get());
            expect_captions_fit(&form->form2(), form->form2().Label30);
            form->menu_ver->trigger();
            expect_captions_fit(form->form3_if_open());
            form->menu_goto_Click();
            expect_captions_fit(form->findChild<GotoDialog*>());
        }
        QCoreApplication::removeTranslator(&translation);
    }
    QApplication::setFont(before);
}

}  // namespace
