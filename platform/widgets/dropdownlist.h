#pragma once

#include <QComboBox>

// A drop-down list: the user only picks one of its items, by the list or the keys, and cannot
// type a text of his own. The program may also show a text that is none of the items (a name
// read from elsewhere), with no item chosen and without adding it to the list. Choosing no
// item (index -1) always empties the box, whatever it showed.
class TcxDropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit TcxDropDownList(QWidget* parent = nullptr);

    // Chooses the item; with none (-1), the box shows the text instead (empty: nothing).
    void showChoice(int item, const QString& text = {});

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
