#pragma once

#include <QColor>

namespace tavrino::app {

// Every list alternates these two row backgrounds.
inline QColor rowBackground(int row) {
    return row % 2 == 0 ? QColor(250, 250, 255) : QColor(Qt::white);
}

} // namespace tavrino::app
