#pragma once

#include <QDialog>

// The Group Administration window.
class TGroupFrm : public QDialog {
    Q_OBJECT
public:
    explicit TGroupFrm(QWidget* parent = nullptr);
};

extern TGroupFrm* GroupFrm;
