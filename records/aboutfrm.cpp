#include "records/aboutfrm.h"

TAboutFrm* AboutFrm = nullptr;

TAboutFrm::TAboutFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutFrm"));
    setWindowTitle(QStringLiteral("Info Center"));
}
