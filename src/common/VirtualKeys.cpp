#include "VirtualKeys.h"

#include <QtCore/qnamespace.h>

namespace trelvo {

uint16_t VirtualKey(int QtKey) {
    if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F24)
        return static_cast<uint16_t>(VK_F1 + (QtKey - Qt::Key_F1));
    // Letters and digits share their codes with Qt's.
    if ((QtKey >= Qt::Key_A && QtKey <= Qt::Key_Z) || (QtKey >= Qt::Key_0 && QtKey <= Qt::Key_9))
        return static_cast<uint16_t>(QtKey);
    switch (QtKey) {
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Tab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        return 0;
    }
}

} // namespace trelvo
