#pragma once

#include <QAction>
#include <QList>
#include <QStringList>

namespace tavrino::test {

// Captions of a menu's entries, "-" for a separator.
inline QStringList actionTexts(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    return texts;
}

} // namespace tavrino::test
