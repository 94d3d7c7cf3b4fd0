#pragma once

#include <QTableView>
#include <vector>

class QAction;

namespace tavrino::app {

// What the three lists share: row selection, compact fixed rows, a menu from their own
// actions, and reports of the row under the pointer for the details tip.
class TableViewBase : public QTableView {
    Q_OBJECT
public:
    explicit TableViewBase(QWidget* parent = nullptr);

    std::vector<int> selectedPositions() const; // top to bottom
    int currentSelectedPosition() const;        // -1 when nothing is selected
    void selectPositions(const std::vector<int>& positions);
    class QMenu* contextMenu() const {
        return menu_;
    }

signals:
    void hoveredRowChanged(int position); // -1: over no row

protected:
    // An action in the context menu, whose shortcut works while the list has the focus.
    QAction* addMenuAction(const QString& text, const QKeySequence& shortcut = {},
                           bool shortcutInMenu = true);
    void addMenuSeparator();

    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void reportHover(int position);

    class QMenu* menu_;
    int hovered_ = -1;
};

} // namespace tavrino::app
