#include "app/screen_fit.h"

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace tavrino::app {
namespace {

QMargins frameOf(const QWidget* window) {
    QMargins frame = assumedFrame;
    if (window->isVisible() && window->windowHandle() != nullptr) {
        const QMargins known = window->windowHandle()->frameMargins();
        frame = QMargins(std::max(frame.left(), known.left()), std::max(frame.top(), known.top()),
                         std::max(frame.right(), known.right()),
                         std::max(frame.bottom(), known.bottom()));
    }
    return frame;
}

// Asks for the room its content wants, where QScrollArea would ask for a fixed few lines; the
// bars come only when the window cannot give that room.
class RoomyScrollArea : public QScrollArea {
public:
    QSize sizeHint() const override {
        if (widget() == nullptr) {
            return QScrollArea::sizeHint();
        }
        // Width for a vertical bar too, so one never brings a horizontal bar with it.
        const int frame = 2 * frameWidth();
        return widget()->sizeHint() + QSize(frame + verticalScrollBar()->sizeHint().width(), frame);
    }
};

QRect availableArea(const QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
}

// A wheel turned to scroll a form must not change the drop-down list that passes under the
// pointer: a list takes the wheel only once the user has clicked or tabbed into it, and until
// then the wheel goes on to the scroll area.
class WheelPassesUnfocusedLists : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* list = qobject_cast<QComboBox*>(watched);
        if (event->type() == QEvent::Wheel && list != nullptr && !list->hasFocus()) {
            event->ignore(); // the parents get it, up to the scroll area
            return true;
        }
        return false;
    }
};

} // namespace

QRect roomOnScreen(const QWidget* window) {
    return availableArea(window).marginsRemoved(frameOf(window));
}

QSize fitWithin(QSize wanted, QSize room) {
    return {std::min(wanted.width(), room.width()), std::min(wanted.height(), room.height())};
}

void fitToScreen(QWidget* window) {
    // A window not sized yet would take its size hint when shown.
    const QSize wanted =
        window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
    window->resize(fitWithin(wanted, roomOnScreen(window).size()));
    if (window->testAttribute(Qt::WA_Moved)) {
        // pos() is where the frame starts.
        const QRect area = availableArea(window);
        const QSize framed = window->size().grownBy(frameOf(window));
        const auto within = [](int at, int low, int high) {
            return std::max(low, std::min(at, high));
        };
        window->move(within(window->x(), area.left(), area.right() - framed.width() + 1),
                     within(window->y(), area.top(), area.bottom() - framed.height() + 1));
    }
}

QScrollArea* scrollable(QWidget* content) {
    auto* area = new RoomyScrollArea;
    area->setObjectName(content->objectName() + "Scroll");
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    area->setFocusPolicy(Qt::NoFocus); // no Tab stop of its own: it follows the focused field
    auto* guard = new WheelPassesUnfocusedLists(area);
    for (QComboBox* list : content->findChildren<QComboBox*>()) {
        list->setFocusPolicy(Qt::StrongFocus); // not focused by the wheel
        list->installEventFilter(guard);
    }
    return area;
}

} // namespace tavrino::app
