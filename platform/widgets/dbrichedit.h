#pragma once

#include <QVariant>

#include "platform/widgets/edits.h"

// The record view: a read-only rich edit showing a stored RTF document.
class TcxDBRichEdit : public TcxRichEdit {
    Q_OBJECT
public:
    explicit TcxDBRichEdit(QWidget* parent = nullptr);
    // Shows the value of the bound field: RTF bytes, or nothing for no row.
    void showValue(const QVariant& value);
};
