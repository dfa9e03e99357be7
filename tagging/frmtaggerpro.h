#pragma once

#include <QWidget>

// The AI tagger window, shown beside the main window.
class TfrmTaggerPro : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTaggerPro(QWidget* parent = nullptr);

    void FormCreate();
};

extern TfrmTaggerPro* frmTaggerPro;
