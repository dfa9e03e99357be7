#pragma once

#include <QWidget>

// The AI tagger window, shown beside the main window.
class TfrmTaggerPro : public QWidget {
    Q_OBJECT
public:
    explicit TfrmTaggerPro(QWidget* parent = nullptr);

    void FormCreate();
    // Runs each time the hidden window is shown.
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TfrmTaggerPro* frmTaggerPro;
