#pragma once

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <initializer_list>

namespace tavrino::app {

// A box that only shows a value: it looks like the window behind it rather than a place to
// type, and Tab passes it by (a click still selects its text for copying).
inline void showOnly(QLineEdit* box) {
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::ClickFocus);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
}

// The editors' layout: one control per row with its caption beside it. Each control is named
// after its caption, so tests and refusals can find it.
class FormGrid {
public:
    explicit FormGrid(QWidget* owner) : owner_(owner), grid_(new QGridLayout) {}

    QGridLayout* layout() const { return grid_; }

    QLineEdit* box(const char* caption, bool readOnly = false) {
        auto* box = new QLineEdit(owner_);
        box->setObjectName(caption);
        if (readOnly) {
            showOnly(box);
        }
        add(caption, box);
        return box;
    }
    // `labelled` false: a list that sits under the one before it without a caption of its own.
    QComboBox* list(const char* caption, const QStringList& entries, bool labelled = true) {
        auto* list = new QComboBox(owner_);
        list->setObjectName(caption);
        list->addItems(entries);
        if (labelled) {
            add(caption, list);
        } else {
            grid_->addWidget(list, row_++, 1);
        }
        return list;
    }
    QLabel* add(const QString& caption, QWidget* control) {
        auto* label = new QLabel(caption, owner_);
        grid_->addWidget(label, row_, 0);
        grid_->addWidget(control, row_++, 1);
        return label;
    }
    QLabel* add(const QString& caption, QLayout* controls) {
        auto* label = new QLabel(caption, owner_);
        grid_->addWidget(label, row_, 0);
        grid_->addLayout(controls, row_++, 1);
        return label;
    }

private:
    QWidget* owner_;
    QGridLayout* grid_;
    int row_ = 0;
};

// Buttons side by side, as under each editor.
inline QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    for (QPushButton* b : buttons) {
        row->addWidget(b);
    }
    return row;
}

} // namespace tavrino::app
