#pragma once

#include <QDialog>

namespace tavrino::app {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

} // namespace tavrino::app
