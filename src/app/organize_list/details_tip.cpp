#include "app/organize_list/details_tip.h"

#include "widgets/ctooltip.h"

namespace tavrino::app {

void DetailsTip::hover(QWidget* list, int position, const std::function<Content()>& content) {
    // Keyed by list and row, so row k of one list never shows the tip of row k of another.
    if (list == list_ && position == position_) {
        return;
    }
    list_ = list;
    position_ = position;
    if (position < 0) {
        tip_.Destroy();
        return;
    }
    const Content c = content();
    tip_.setTitle(c.title);
    tip_.setTipText(c.text);
    tip_.Create(list);
}

void DetailsTip::reset() {
    list_ = nullptr;
    position_ = -1;
    tip_.Destroy();
}

} // namespace tavrino::app
