#include "settings_dialog/form2.h"

#include "main_window/form1.h"

// TODO(settings dialog): the full dialog.
Form2::Form2(Module1& module, platform::Services& services, Form1& form1)
    : m_(module), s_(services), form1_(form1) {
    setWindowTitle(QStringLiteral("ＡＺＥＬＲＯＴ設定"));
    Label4 = new QLabel(this);
    Label5 = new QLabel(this);
    Label6 = new QLabel(this);
    Label7 = new QLabel(this);
}

Form2::~Form2() = default;

void Form2::Form_Load() {}

void Form2::IP_CHECK(double& IP_ERR_NO) { IP_ERR_NO = 0; }
