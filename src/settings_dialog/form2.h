#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <cstdint>

#include "link/module1.h"
#include "link/reply.h"

class Form1;

// The settings dialog: connection settings, their save, the board address check and the
// rotator calibration buttons. Its procedures are spread over files by concern:
// form2.cpp (controls), form2_settings.cpp (load, connection choice, save, address check),
// form2_calibration.cpp (calibration buttons).
class Form2 final : public QWidget {
    Q_OBJECT
  public:
    Form2(Module1& module, platform::Services& services, Form1& form1);
    ~Form2() override;

    // --- events --------------------------------------------------------------------------
    void Form_Load();
    void Option3_Click();
    void Option4_Click();
    void Check1_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();

    // The calibration reply labels after a controller reply.
    void show_reply(const QString& reply, OperationMode mode);
    // A calibration reply naming the azimuth range sets it for the next save.
    void note_range_reply(const QString& reply);
    // [GS232B] AZRANGE as read or as the controller last reported it; empty: not set, not saved.
    QString azimuth_range_setting;

    // Checks the four address boxes; 0 when accepted, else the first failing octet (1..4).
    void IP_CHECK(double& IP_ERR_NO);

    // --- controls (owned by their Qt parents) ----------------------------------------------
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* Frame6 = nullptr;
    QCheckBox* Check1 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QGroupBox* Frame8 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QGroupBox* Frame7 = nullptr;
    QFrame* Shape3 = nullptr;
    QLabel* Label30 = nullptr;
    QFrame* Line1 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLineEdit* Text7 = nullptr;
    QLineEdit* Text8 = nullptr;
    QPushButton* Command1 = nullptr;

    QGroupBox* Frame2 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QPushButton* Command11 = nullptr;

    // Reply labels of the calibration frames.
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    enum class SaveOutcome { saved, refused, not_written };

    void build_settings_controls();
    void build_calibration_frames();
    void fit_frame_captions();
    void set_tab_order();
    void connect_handlers();

    void apply_connection_pattern(bool board);
    SaveOutcome save_settings();
    bool write_settings();

    // Sends one calibration command through the transport picnic_mode selects now.
    void send_command(const QString& hex);
    // The tail of every calibration step: record the step, let the controller answer, read it.
    void read_answer_as(OperationMode mode);
    void set_mode(OperationMode mode);
    void wait_and_read();

    Module1& m_;
    platform::Services& s_;
    Form1& form1_;
};
