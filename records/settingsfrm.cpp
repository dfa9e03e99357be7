#include "records/settingsfrm.h"

TSettingsFrm* SettingsFrm = nullptr;

TSettingsFrm::TSettingsFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SettingsFrm"));
    setWindowTitle(QStringLiteral("Settings"));
}
