#include "main_window/goto_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "link/operation_rules.h"

GotoDialog::GotoDialog(int azimuth_range, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("方位指定"));
    azimuth = new QLineEdit(this);
    elevation = new QLineEdit(this);
    azimuth->setPlaceholderText(QStringLiteral("０～%1").arg(azimuth_range));
    elevation->setPlaceholderText(QStringLiteral("０～%1").arg(max_heading_elevation));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("方位（度）"), azimuth);
    form->addRow(QStringLiteral("仰角（度）"), elevation);
    auto* buttons = new QDialogButtonBox(this);
    ok = buttons->addButton(QStringLiteral("ＯＫ"), QDialogButtonBox::AcceptRole);
    cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &GotoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GotoDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
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
