#include "tagging/frmdicteditor.h"

TfrmDictEditor* frmDictEditor = nullptr;

TfrmDictEditor::TfrmDictEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDictEditor"));
    setWindowTitle(QStringLiteral("Getty Dictionary Editor"));
}
