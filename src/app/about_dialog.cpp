#include "app/about_dialog.h"

#include "common/version.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tavrino::app {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    auto* text =
        new QLabel("<h3>Tavrino v." TAVRINO_VERSION "</h3>"
                   "<p>An editor for the channel lists of the Orvix satellite receiver:<br>"
                   "services, bouquets, satellites and transponders.</p>"
                   "<p>Built with Qt " QT_VERSION_STR ".</p>",
                   this);
    text->setTextFormat(Qt::RichText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

} // namespace tavrino::app
