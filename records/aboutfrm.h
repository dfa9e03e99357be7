#pragma once

#include <QDialog>

// The About window.
class TAboutFrm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutFrm(QWidget* parent = nullptr);
};

extern TAboutFrm* AboutFrm;
