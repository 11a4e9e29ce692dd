#pragma once

#include "game/api/IAboutForm.h"

#include <QDialog>
#include <QString>

#include <array>

class QCloseEvent;
class QFrame;
class QLabel;
class QPushButton;
class QShowEvent;
class QWidget;

namespace trelvo {

// "О программе": the product's name with a reflection, its version and the credits, in a small
// fixed-size top-level window that stays on top. It frees itself when closed (through the event
// loop) and raises OnDestroy from its destructor, so its opener can forget it.
class TForm_About : public QDialog, public IAboutForm {
public:
    static constexpr int kClientWidth = 424;
    static constexpr int kClientHeight = 398;

    TForm_About();
    ~TForm_About() override;

    // Shows the window, not modal, centred on the screen.
    void Show() override;

    QString Version() const;
    QString Caption() const { return windowTitle(); }
    // Every text of the window, top to bottom (name, version, credits, button).
    QStringList Texts() const;

    QLabel *Text_Name() const { return FText_Name; }
    QLabel *Text_Version() const { return FText_Version; }
    QLabel *CreditLine(int i) const { return FText.at(static_cast<size_t>(i - 1)); }
    QPushButton *Button_Close() const { return FButton_Close; }
    // The mirror image under the name.
    QWidget *Reflection() const { return FReflectionEffect; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormShow();
    void FormClose();
    void Button_CloseClick();

    QFrame *FPanel_Top;
    QFrame *FPanel2;
    QFrame *FPanel3;
    QLabel *FImage1;
    QWidget *FLayout1;
    QLabel *FText_Name;
    QLabel *FText_Version;
    QWidget *FReflectionEffect;
    std::array<QLabel *, 14> FText{};
    QPushButton *FButton_Close;
};

} // namespace trelvo
