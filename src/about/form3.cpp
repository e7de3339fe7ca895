#include "about/form3.h"

#include <QCloseEvent>

#include "main_window/form1.h"
#include "main_window/legible.h"
#include "main_window/twips.h"

namespace {

constexpr int client_width = 5505;
constexpr int client_height = 4200;
const QColor disclaimer_back(255, 255, 128);

QGroupBox* frame(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    auto* f = new FrameBox(caption, parent);
    place(f, l, t, w, h);
    return f;
}

QLabel* label(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    auto* lb = new QLabel(caption, parent);
    place(lb, l, t, w, h);
    return lb;
}

void paint(QWidget* w, const QColor& back, const QColor& text = {}) {
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, back);
    if (text.isValid()) pal.setColor(QPalette::WindowText, text);
    w->setPalette(pal);
}

}  // namespace

Form3::Form3(Form1& form1) : form1_(form1) {
    setWindowTitle(tr("バージョン情報"));
    setAttribute(Qt::WA_QuitOnClose, false);  // the main window alone decides when the program ends
    setFixedSize(twips_to_px(client_width), twips_to_px(client_height));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Frame2 = frame(this, tr("プログラム名称"), 1200, 270, 2895, 735);
    Label1 = label(Frame2, tr("ＡＺＥＬＲＯＴ"), 480, 360, 2055, 255);

    Frame1 = frame(this, tr("プログラムバージョン"), 1200, 1230, 3015, 735);
    Label3 = label(Frame1, tr("バージョン　"), 480, 360, 930, 255);
    Label4 = label(Frame1, tr("ｖ2．00"), 1620, 360, 1005, 195);

    Frame3 = frame(this, tr("免責事項"), 1200, 2070, 3015, 1335);
    paint(Frame3, disclaimer_back);
    Label2 =
        new TightLabel(tr("免責：このプログラムの使用により発生したいかなる問題や損害に対して、"
                          "当方は一切責任を負いません。利用者の責任においてご利用願います。"),
                       Frame3);
    place(Label2, 225, 240, 2535, 975);
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    paint(Label2, disclaimer_back, QColor(255, 0, 0));

    Command1 = new QPushButton(tr("閉じる"), this);
    place(Command1, 4080, 3510, 1095, 375);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);

    fit_captions(this);
}

void Form3::Command1_Click() {
    close();
}

void Form3::closeEvent(QCloseEvent* event) {
    event->accept();
    form1_.release_form3();
}
