#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include "about/form3.h"
#include "fakes/fake_services.h"
#include "main_window/form1.h"
#include "main_window/legible.h"
#include "main_window/twips.h"

namespace {

int about_boxes() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += qobject_cast<Form3*>(w) != nullptr;
    return n;
}

void flush_deletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(AboutBox, ChosenTwiceShowsOneBox) {
    fake::World w;
    auto form = w.load_form1();
    form->menu_ver->trigger();
    Form3* first = form->form3_if_open();
    ASSERT_NE(first, nullptr);
    form->menu_ver->trigger();
    EXPECT_EQ(form->form3_if_open(), first);
    EXPECT_EQ(about_boxes(), 1);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(first->parentWidget(), nullptr) << "no owner";
    EXPECT_TRUE(form->Timer1.isActive()) << "the cycle goes on";
}

TEST(AboutBox, CloseButtonAndTitleBarBothDiscardIt) {
    fake::World w;
    auto form = w.load_form1();
    for (int by_button = 0; by_button < 2; ++by_button) {
        form->menu_ver->trigger();
        QPointer<Form3> box = form->form3_if_open();
        ASSERT_FALSE(box.isNull());
        if (by_button) {
            box->Command1->click();
        } else {
            box->close();
        }
        EXPECT_EQ(form->form3_if_open(), nullptr);
        flush_deletes();
        EXPECT_TRUE(box.isNull());
        EXPECT_EQ(about_boxes(), 0);
        EXPECT_EQ(w.program_end.ends, 0) << "closing the box does not end the program";
    }
    form->menu_ver->trigger();  // the next choice makes a fresh one
    EXPECT_NE(form->form3_if_open(), nullptr);
}

TEST(AboutBox, ShowsNameVersionAndDisclaimer) {
    fake::World w;
    auto form = w.load_form1();
    form->menu_ver->trigger();
    const Form3& box = *form->form3_if_open();
    EXPECT_EQ(box.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(box.size(), QSize(twips_to_px(5505), twips_to_px(4200)));
    EXPECT_EQ(box.Frame2->title(), QStringLiteral("プログラム名称"));
    EXPECT_EQ(box.Label1->text(), QStringLiteral("ＡＺＥＬＲＯＴ"));
    EXPECT_EQ(box.Frame1->title(), QStringLiteral("プログラムバージョン"));
    EXPECT_EQ(box.Label3->text(), QStringLiteral("バージョン　"));
    EXPECT_EQ(box.Label4->text(), QStringLiteral("ｖ2．00"));
    EXPECT_EQ(box.Frame3->title(), QStringLiteral("免責事項"));
    EXPECT_EQ(box.Label2->text(),
              QStringLiteral("免責：このプログラムの使用により発生したいかなる問題や損害に対して、"
                             "当方は一切責任を負いません。利用者の責任においてご利用願います。"));
    EXPECT_EQ(box.Command1->text(), QStringLiteral("閉じる"));

    const QColor yellow(255, 255, 128);
    EXPECT_EQ(box.Frame3->palette().color(QPalette::Window), yellow);
    EXPECT_EQ(box.Label2->palette().color(QPalette::Window), yellow);
    EXPECT_EQ(box.Label2->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(box.Command1->geometry(), twips_rect(4080, 3510, 1095, 375));
    EXPECT_EQ(box.Frame3->geometry(), twips_rect(1200, 2070, 3015, 1335));
}

TEST(AboutBox, DisclaimerFitsItsBox) {
    fake::World w;
    auto form = w.load_form1();
    form->menu_ver->trigger();
    const Form3& box = *form->form3_if_open();
    // Every line of the wrapped paragraph stays inside the label.
    const int chars_per_line =
        box.Label2->width() / box.Label2->fontMetrics().horizontalAdvance(u'免');
    ASSERT_GT(chars_per_line, 0);
    const int lines = (box.Label2->text().size() + chars_per_line - 1) / chars_per_line;
    EXPECT_LE(lines * tight_line_step(box.Label2->font()), box.Label2->height() + 1);
}

}  // namespace
