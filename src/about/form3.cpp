#include "about/form3.h"

#include <QCloseEvent>

#include "main_window/form1.h"

// TODO(about): layout, captions, colours.
Form3::Form3(Form1& form1) : form1_(form1) {
    setWindowTitle(QStringLiteral("バージョン情報"));
    Command1 = new QPushButton(QStringLiteral("閉じる"), this);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
}

void Form3::closeEvent(QCloseEvent* event) {
    event->accept();
    form1_.release_form3();
}
