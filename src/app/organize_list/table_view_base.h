#pragma once

#include <QTableView>
#include <functional>
#include <vector>

class QAction;
class QDrag;

namespace tavrino::app {

// What the three lists share: row selection, compact fixed rows, a menu from their own
// actions, reports of the row under the pointer for the details tip, and drags.
class TableViewBase : public QTableView {
    Q_OBJECT
public:
    explicit TableViewBase(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    std::vector<int> selectedPositions() const; // top to bottom
    int currentSelectedPosition() const;        // -1 when nothing is selected
    void selectPositions(const std::vector<int>& positions);
    class QMenu* contextMenu() const {
        return menu_;
    }

    // Carries out a drag once it has started. The platform's drag loop by default; tests
    // replace it, since an offscreen display has no drag loop of its own.
    using DragCarrier = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions actions)>;
    static void setDragCarrier(DragCarrier carrier);
    static bool dragInProgress();

signals:
    void hoveredRowChanged(int position); // -1: over no row

protected:
    // An action in the context menu, whose shortcut works while the list has the focus.
    // The menu shows the caption alone: captions that want a key hint carry it themselves.
    QAction* addMenuAction(const QString& text, const QKeySequence& shortcut = {});
    void addMenuSeparator();

    // The menu key and Shift+F10 open the menu at the current row.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dropEvent(QDropEvent* event) override;

private:
    void reportHover(int position);
    // The rows moved under a resting pointer (scroll, reorder, new contents): the tip
    // must follow the row that is under it now.
    void hoverAgain();

    class QMenu* menu_;
    int hovered_ = -1;
};

} // namespace tavrino::app
