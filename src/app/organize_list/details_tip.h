#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tavrino::widgets {
class CTooltip;
}

namespace tavrino::app {

// Drives the one shared details tip: it is rebuilt only when the pointer moves to another row
// of a list, and removed when the pointer is over no row.
class DetailsTip {
public:
    explicit DetailsTip(widgets::CTooltip& tip) : tip_(tip) {}

    struct Content {
        QString title;
        QString text;
    };

    // `position` is the row under the pointer, -1 for none; `content` builds the tip.
    void hover(QWidget* list, int position, const std::function<Content()>& content);
    widgets::CTooltip& tip() { return tip_; }
    // The lists were rebuilt: forget the row and take the tip down.
    void reset();

private:
    widgets::CTooltip& tip_;
    QWidget* list_ = nullptr;
    int position_ = -1;
};

} // namespace tavrino::app
