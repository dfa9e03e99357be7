#include "tagging/frmtaggerpro.h"

#include <QLocale>
#include <QShowEvent>

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

void TfrmTaggerPro::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window restored by the window system was not hidden: no show handler then.
    if (!event->spontaneous()) errors::guard([this] { FormShow(); });
}

void TfrmTaggerPro::FormShow() {}
