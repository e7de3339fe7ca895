#pragma once

#include <QLabel>
#include <QWidget>

#include "link/module1.h"

class Form1;

// The settings dialog: connection settings, their save, the board address check and the
// rotator calibration buttons.
class Form2 final : public QWidget {
    Q_OBJECT
public:
    Form2(Module1& module, platform::Services& services, Form1& form1);
    ~Form2() override;

    void Form_Load();
    // Checks the four address boxes; 0 when accepted, else the first failing octet (1..4).
    void IP_CHECK(double& IP_ERR_NO);

    // Reply labels of the calibration frames, written by the main window's reply reader.
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;

private:
    Module1& m_;
    platform::Services& s_;
    Form1& form1_;
};
