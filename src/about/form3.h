#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

class Form1;

// The About box: name, version, disclaimer and a close button. Not modal and without an
// owner; closing it by the button or the title bar discards it.
class Form3 final : public QWidget {
    Q_OBJECT
  public:
    explicit Form3(Form1& form1);

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Command1 = nullptr;

    void Command1_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    Form1& form1_;
};
