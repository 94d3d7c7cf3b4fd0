#pragma once

#include "app/organize_list/table_view_base.h"

#include <QtTest>
#include <QtWidgets>

// Input as a person gives it: mouse presses, moves and releases at the pixel of a row on a
// view's viewport, and drags that start from real mouse moves and end in real drop events.
namespace tavrino::test {

// Centre of `row` in viewport coordinates, scrolled into view first.
inline QPoint rowPoint(QAbstractItemView& view, int row, double heightFraction = 0.5) {
    const QModelIndex index = view.model()->index(row, 0);
    view.scrollTo(index);
    QApplication::processEvents();
    const QRect rect = view.visualRect(index);
    return {rect.center().x(), rect.top() + static_cast<int>(rect.height() * heightFraction)};
}

inline void clickRow(QAbstractItemView& view, int row, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, rowPoint(view, row));
    QApplication::processEvents();
}

inline void doubleClickRow(QAbstractItemView& view, int row) {
    const QPoint at = rowPoint(view, row);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
}

// The right button over a row: the platform turns it into a context-menu event.
inline void rightClickRow(QAbstractItemView& view, int row) {
    const QPoint at = rowPoint(view, row);
    QTest::mouseMove(view.viewport(), at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
    QApplication::sendEvent(view.viewport(), &event);
    QApplication::processEvents();
}

// A click, and what it starts done before the test goes on.
inline void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QApplication::processEvents();
}

// Clicks into a box, selects what it holds and types over it.
inline void typeInto(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

// On its box, where a person clicks: the widget is wider than box and caption.
inline void tick(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

inline void clickItem(QListWidget* list, int row) {
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

// A click on the middle of a column's header section, as a person sorts by it.
inline void clickHeader(QHeaderView& header, int section) {
    const QPoint middle(header.sectionViewportPosition(section) + header.sectionSize(section) / 2,
                        header.height() / 2);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, middle);
}

// Plays the platform's drag loop: the drag enters `target` at `at`, moves there and drops.
inline Qt::DropAction deliverDrop(QDrag& drag, Qt::DropActions actions, QWidget* target,
                                  QPoint at) {
    QDragEnterEvent enter(at, actions, drag.mimeData(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return Qt::IgnoreAction;
    }
    QDragMoveEvent move(at, actions, drag.mimeData(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return Qt::IgnoreAction;
    }
    QDropEvent drop(at, actions, drag.mimeData(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// Presses on `row` of `from` (whose selection is what travels), moves the mouse until the
// view starts its drag, and drops at `at` on the viewport of `to`.
inline void dragRowTo(QAbstractItemView& from, int row, QAbstractItemView& to, QPoint at) {
    const QPoint start = rowPoint(from, row);
    bool dragged = false;
    app::TableViewBase::setDragCarrier([&](QDrag& drag, Qt::DropActions actions) {
        dragged = true;
        return deliverDrop(drag, actions, to.viewport(), at);
    });
    QTest::mousePress(from.viewport(), Qt::LeftButton, {}, start);
    const int step = QApplication::startDragDistance() + 2;
    for (int i = 1; i <= 3 && !dragged; ++i) {
        QTest::mouseMove(from.viewport(), start + QPoint(0, step * i / 3 + 1));
    }
    QTest::mouseRelease(from.viewport(), Qt::LeftButton, {}, start + QPoint(0, step));
    app::TableViewBase::setDragCarrier({});
    QVERIFY2(dragged, "the view did not start a drag");
    QApplication::processEvents(); // drops act once the view has finished the event
}

// A caption as it reads on screen: "&" marks the letter after it as the mnemonic, "&&" is one
// "&".
inline QString shownText(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

} // namespace tavrino::test
