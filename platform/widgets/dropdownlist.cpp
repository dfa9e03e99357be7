#include "platform/widgets/dropdownlist.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

TcxDropDownList::TcxDropDownList(QWidget* parent) : QComboBox(parent) {
    // The text of an editable box shows what the program sets, item or not, and follows every
    // choice of an item or of none; read-only, without completion and without inserting on
    // Enter, it takes nothing from the user.
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    lineEdit()->setReadOnly(true);
    lineEdit()->installEventFilter(this);
}

void TcxDropDownList::showChoice(int item, const QString& text) {
    setCurrentIndex(item);
    if (currentIndex() < 0 && !text.isEmpty()) setEditText(text);
}

void TcxDropDownList::keyPressEvent(QKeyEvent* event) {
    // A typed letter moves to the next item that begins with it, as in any drop-down list.
    const QString typed = event->text();
    const bool plain = (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
    if (plain && typed.size() == 1 && typed.at(0).isPrint() && !typed.at(0).isSpace()) {
        for (int step = 1; step <= count(); ++step) {
            const int item = (currentIndex() + step) % count();
            if (itemText(item).startsWith(typed, Qt::CaseInsensitive)) {
                setCurrentIndex(item);
                break;
            }
        }
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool TcxDropDownList::eventFilter(QObject* watched, QEvent* event) {
    // A click on the text opens the list, as on the arrow.
    if (watched == lineEdit() && (event->type() == QEvent::MouseButtonPress ||
                                  event->type() == QEvent::MouseButtonDblClick)) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && isEnabled())
            showPopup();
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}
