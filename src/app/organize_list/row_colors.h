#pragma once

#include <QColor>
#include <cstdint>

namespace tavrino::app {

// Every list alternates these two row backgrounds.
inline QColor rowBackground(int row) {
    return row % 2 == 0 ? QColor(250, 250, 255) : QColor(Qt::white);
}

// A bouquet item that names a service an earlier item already names: a light amber that
// stands out from both row backgrounds and the selection, and keeps any profile's text legible.
inline QColor repeatedItemBackground() {
    return QColor(255, 224, 160);
}

// The service list showing duplicates only: one shade per group, alternating between groups.
inline QColor duplicateGroupBackground(std::uint32_t group) {
    return group % 2 == 1 ? QColor(226, 236, 255) : QColor(255, 243, 214);
}

} // namespace tavrino::app
