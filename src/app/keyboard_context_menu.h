#pragma once

class QWidget;

namespace tavrino::app {

// What the Menu key sends: a keyboard context menu event at the widget's current item. Shift+F10
// calls it on keyboards without a Menu key.
void openContextMenuByKeyboard(QWidget* widget);

} // namespace tavrino::app
