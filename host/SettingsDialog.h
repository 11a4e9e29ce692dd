#pragma once

#include "host/HostSettings.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace trelvo::host {

// The small settings window of the menu: the player's name, the bots, their level and the server. What
// it keeps applies from the next start; the sound and the window keep themselves.
class TSettingsDialog : public QDialog {
public:
    TSettingsDialog(const THostSettings &Settings, QWidget *Parent = nullptr);

    // The settings with the window's choices; Muted and WindowGeometry as given.
    THostSettings Settings() const;
    // Accepts only choices the command line would take, else says what is wrong.
    void accept() override;

private:
    THostSettings FGiven;
    QLineEdit *FName;
    QSpinBox *FBots;
    QComboBox *FLevel;
    QLineEdit *FServer;
    QLabel *FError;
};

} // namespace trelvo::host
