#pragma once

#include <QDialog>

// The Settings window.
class TSettingsFrm : public QDialog {
    Q_OBJECT
public:
    explicit TSettingsFrm(QWidget* parent = nullptr);
};

extern TSettingsFrm* SettingsFrm;
