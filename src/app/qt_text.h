#pragma once

#include "database/option_texts.h"

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// The core speaks UTF-8 std::string; the widgets QString. These carry texts across.
namespace tavrino::app {

inline QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string textOf(const QLineEdit* box) {
    return box->text().toStdString();
}

inline QStringList qTexts(const std::vector<std::string>& entries) {
    QStringList list;
    for (const auto& e : entries) {
        list << qText(e);
    }
    return list;
}

inline QStringList qTexts(const std::vector<options::CodedEntry>& entries) {
    QStringList list;
    for (const auto& e : entries) {
        list << qText(e.text);
    }
    return list;
}

} // namespace tavrino::app
