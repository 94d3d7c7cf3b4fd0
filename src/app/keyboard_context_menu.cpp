#include "app/keyboard_context_menu.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QWidget>

namespace tavrino::app {

void openContextMenuByKeyboard(QWidget* widget) {
    if (!widget) {
        return;
    }
    const QRect cursor = widget->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QPoint at = cursor.isValid() ? cursor.center() : widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace tavrino::app
