#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

class Form1;

// The About box: name, version, disclaimer and a close button.
class Form3 final : public QWidget {
    Q_OBJECT
public:
    explicit Form3(Form1& form1);

    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Form1& form1_;
};
