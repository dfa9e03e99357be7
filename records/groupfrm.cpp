#include "records/groupfrm.h"

TGroupFrm* GroupFrm = nullptr;

TGroupFrm::TGroupFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GroupFrm"));
    setWindowTitle(QStringLiteral("Group Admin"));
}
