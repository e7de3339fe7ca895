#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <optional>

// "方位指定": azimuth and elevation as whole degrees. OK hands them to `submit`; a refusal is
// shown and the dialog stays open for a correction.
class GotoDialog final : public QDialog {
    Q_OBJECT
  public:
    GotoDialog(int azimuth_range, QWidget* parent);

    std::function<std::optional<QString>(const QString&, const QString&)> submit;
    std::function<void(const QString&)> show_message;

    QLineEdit* azimuth = nullptr;
    QLineEdit* elevation = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;
};
