#include "host/SettingsDialog.h"

#include "protocol/PlayerName.h"
#include "server/BotLevels.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace trelvo::host {

TSettingsDialog::TSettingsDialog(const THostSettings &Settings, QWidget *Parent)
    : QDialog(Parent), FGiven(Settings) {
    setWindowTitle(QStringLiteral("Настройки"));
    auto *column = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    FName = new QLineEdit(Settings.PlayerName, this);
    FName->setPlaceholderText(QStringLiteral("имя пользователя системы"));
    FName->setMaxLength(kMaxNameLength);
    form->addRow(QStringLiteral("&Имя:"), FName);
    FBots = new QSpinBox(this);
    FBots->setRange(1, 3);
    FBots->setValue(Settings.Bots);
    form->addRow(QStringLiteral("&Ботов за столом:"), FBots);
    FLevel = new QComboBox(this);
    for (int row = 0; row < static_cast<int>(server::BotLevels().size()); ++row)
        FLevel->addItem(server::BotLevelTitle(server::BotLevelAt(row)), row);
    FLevel->setCurrentIndex(FLevel->findData(static_cast<int>(Settings.Level)));
    form->addRow(QStringLiteral("&Уровень ботов:"), FLevel);
    FServer = new QLineEdit(Settings.ServerUrl, this);
    FServer->setPlaceholderText(QStringLiteral("ws://адрес:порт; пусто: игра с ботами"));
    FServer->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    form->addRow(QStringLiteral("&Сервер:"), FServer);
    column->addLayout(form);

    auto *note = new QLabel(QStringLiteral("Изменения вступят в силу при следующем запуске."), this);
    note->setWordWrap(true);
    column->addWidget(note);
    FError = new QLabel(this);
    FError->setWordWrap(true);
    FError->setStyleSheet(QStringLiteral("color: #a61b1b;"));
    FError->hide();
    column->addWidget(FError);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Qt's own translations are not shipped: the window speaks Russian like the rest of the host.
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

THostSettings TSettingsDialog::Settings() const {
    THostSettings settings = FGiven;
    settings.PlayerName = FName->text().trimmed();
    settings.Bots = FBots->value();
    settings.Level = server::BotLevelAt(FLevel->currentData().toInt());
    settings.ServerUrl = FServer->text().trimmed();
    return settings;
}

void TSettingsDialog::accept() {
    QString error;
    if (!CheckHostSettings(Settings(), error)) {
        FError->setText(error);
        FError->show();
        return;
    }
    QDialog::accept();
}

} // namespace trelvo::host
