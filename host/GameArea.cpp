#include "host/GameArea.h"

#include <QPalette>
#include <QResizeEvent>

namespace trelvo::host {

TGameArea::TGameArea(QWidget *Parent) : QWidget(Parent) {
    setAttribute(Qt::WA_NativeWindow);
    // Qt must not paint over the foreign child, nor let a sibling share this native window.
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0x1e, 0x3a, 0x28));
    setPalette(palette);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    winId();
}

void TGameArea::resizeEvent(QResizeEvent *Event) {
    QWidget::resizeEvent(Event);
    if (OnResized)
        OnResized(Event->size());
}

} // namespace trelvo::host
