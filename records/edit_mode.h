#pragma once

#include <QObject>
#include <QString>

// The main window's mode: BROWSE, or EDIT while a stored record is loaded into the Create card
// to be updated.
enum class EditMode { Browse, Edit };

// "BROWSE" or "EDIT", as the status bar shows the mode.
QString editModeText(EditMode mode);

// The mode as state. The status bar's mode panel and the save button's caption show it;
// nothing reads them back to decide anything.
class EditModeState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    EditMode mode() const { return m_mode; }
    bool editing() const { return m_mode == EditMode::Edit; }
    // Emits changed when the mode is another than before.
    void setMode(EditMode mode);

signals:
    void changed(EditMode mode);

private:
    EditMode m_mode = EditMode::Browse;
};
