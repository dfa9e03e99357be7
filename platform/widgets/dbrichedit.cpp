#include "platform/widgets/dbrichedit.h"

#include "platform/rtf/rtf.h"

TcxDBRichEdit::TcxDBRichEdit(QWidget* parent) : TcxRichEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TcxDBRichEdit::showValue(const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        clear();
        return;
    }
    rtf::read(value.toByteArray(), document());
}
