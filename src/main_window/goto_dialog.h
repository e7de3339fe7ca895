#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <optional>

#include "link/great_circle.h"

// "方位指定": azimuth and elevation as whole degrees, or in the azimuth box a place (a locator
// or "lat,lon") once the station's position is set. OK hands the texts to `submit`; a refusal
// is shown and the dialog stays open for a correction.
class GotoDialog final : public QDialog {
    Q_OBJECT
  public:
    GotoDialog(int azimuth_range, QWidget* parent);

    std::function<std::optional<QString>(const QString&, const QString&)> submit;
    std::function<void(const QString&)> show_message;

    // Where a place is measured from. Not set: the place controls stay hidden.
    void set_station(const StationPosition& station);

    QLineEdit* azimuth = nullptr;
    QLineEdit* elevation = nullptr;
    QCheckBox* long_path = nullptr;  // the long way round to a place
    QLabel* paths = nullptr;         // both ways to the place typed
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void show_paths();

    StationPosition station_;
};
