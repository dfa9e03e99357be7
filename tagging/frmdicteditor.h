#pragma once

#include <QDialog>

// The Getty dictionary editor.
class TfrmDictEditor : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDictEditor(QWidget* parent = nullptr);
};

extern TfrmDictEditor* frmDictEditor;
