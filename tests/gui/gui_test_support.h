#pragma once

#include <QAction>
#include <QList>
#include <QStringList>

namespace tavrino::test {

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

// Captions of a menu's entries, "-" for a separator.
inline QStringList actionTexts(const QList<QAction*>& actions) {
    QStringList texts;
    for (const QAction* action : actions) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    return texts;
}

} // namespace tavrino::test
