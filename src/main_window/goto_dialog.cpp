#include "main_window/goto_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "link/operation_rules.h"

GotoDialog::GotoDialog(int azimuth_range, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("方位指定"));
    azimuth = new QLineEdit(this);
    elevation = new QLineEdit(this);
    azimuth->setPlaceholderText(tr("０～%1").arg(azimuth_range));
    elevation->setPlaceholderText(tr("０～%1").arg(max_heading_elevation));
    long_path = new QCheckBox(tr("長経路"), this);
    paths = new QLabel(this);
    paths->setWordWrap(true);
    // Room for a reason on two lines; hidden, it widens nothing.
    paths->setMinimumWidth(paths->fontMetrics().horizontalAdvance(QStringLiteral("０")) * 22);
    long_path->hide();
    paths->hide();
    auto* form = new QFormLayout;
    form->addRow(tr("方位（度）"), azimuth);
    form->addRow(tr("仰角（度）"), elevation);
    form->addRow(long_path);
    form->addRow(paths);
    auto* buttons = new QDialogButtonBox(this);
    ok = buttons->addButton(tr("ＯＫ"), QDialogButtonBox::AcceptRole);
    cancel = buttons->addButton(tr("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &GotoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GotoDialog::reject);
    connect(azimuth, &QLineEdit::textChanged, this, &GotoDialog::show_paths);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void GotoDialog::set_station(const StationPosition& station) {
    station_ = station;
    const bool places = !std::holds_alternative<std::monostate>(station_);
    long_path->setVisible(places);
    paths->setVisible(places);
    show_paths();
}

void GotoDialog::show_paths() {
    if (std::holds_alternative<std::monostate>(station_)) return;
    const QString text = azimuth->text();
    if (!looks_like_place(text)) {
        paths->setText(tr("方位にはロケーター（例 PM95vq）か「緯度,経度」も入力できます"));
        return;
    }
    const auto found = paths_to_place(station_, text);
    if (const auto* why = std::get_if<QString>(&found)) {
        paths->setText(*why);
        return;
    }
    const PlacePaths& p = std::get<PlacePaths>(found);
    paths->setText(tr("短経路 %1°（%2 km）\n長経路 %3°（%4 km）")
                       .arg(QString::number(p.short_way.bearing, 'f', 1),
                            QString::number(p.short_way.distance_km, 'f', 0),
                            QString::number(p.long_way.bearing, 'f', 1),
                            QString::number(p.long_way.distance_km, 'f', 0)));
}

void GotoDialog::accept() {
    const auto refused =
        submit ? submit(azimuth->text(), elevation->text()) : std::optional<QString>();
    if (refused) {
        if (show_message) show_message(*refused);
        azimuth->setFocus();
        return;
    }
    QDialog::accept();
}

void GotoDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Each opening starts a new entry at the azimuth, whichever box the last one ended in:
    // typed digits replace the old azimuth instead of landing in the elevation.
    azimuth->setFocus(Qt::OtherFocusReason);
    azimuth->selectAll();
}
