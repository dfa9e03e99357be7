#include "tagging/frmtaggerpro.h"

#include <QLocale>

#include "platform/errors/errors.h"

TfrmTaggerPro* frmTaggerPro = nullptr;

TfrmTaggerPro::TfrmTaggerPro(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmTaggerPro"));
    setWindowTitle(QStringLiteral("AI Tagger"));
    errors::guard([this] { FormCreate(); });
}

void TfrmTaggerPro::FormCreate() {
    // Numbers are formatted and parsed with '.' as the decimal separator and ',' as
    // the thousands separator, whatever the user's locale.
    QLocale::setDefault(QLocale::c());
}
