#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QScrollArea;
class QWidget;

namespace tavrino::app {

// What a window manager's frame takes around a window, as long as it has not said: a title
// bar and thin borders.
inline constexpr QMargins assumedFrame{4, 30, 4, 4};

// The area a window's contents may fill on its screen: the available area (no panels) less
// the frame around the window.
QRect roomOnScreen(const QWidget* window);

// `wanted`, no larger than `room` either way.
QSize fitWithin(QSize wanted, QSize room);

// Shrinks a window or dialog that would not fit its screen, and keeps one placed by hand on
// it. Its layout must allow the smaller size: what cannot shrink goes in a scroll area.
void fitToScreen(QWidget* window);

// `content` in a frameless scroll area that shows its bars only when there is too little
// room. The wheel scrolls it and changes a drop-down list of `content` only once it has focus.
QScrollArea* scrollable(QWidget* content);

} // namespace tavrino::app
