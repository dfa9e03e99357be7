#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <functional>

class QKeyEvent;
class QMimeData;

// Edit controls with the control suite's key events: a key-down handler sees every
// key first (it may set the key to 0 to swallow it), then a key-press handler sees
// each typed character before the control inserts it (setting it to QChar() refuses it).
namespace keys {

struct KeyHooks {
    // Key-down: key code (Qt::Key) and modifiers; set key to 0 to swallow the key.
    std::function<void(int& key, Qt::KeyboardModifiers shift)> onKeyDown;
    // Key-press: the typed character; set it to QChar() (character 0) to refuse it.
    std::function<void(QChar& key)> onKeyPress;
    // Key-up: key code (Qt::Key) and modifiers of a released key.
    std::function<void(int& key, Qt::KeyboardModifiers shift)> onKeyUp;
    std::function<void()> onEnter;  // focus gained
    std::function<void()> onExit;   // focus lost
    std::function<void()> onClick;  // button released, except after a double-click
    std::function<void()> onDblClick;

    // Runs the hooks for a key event; returns true when the event was swallowed, and
    // otherwise may change the text the event carries.
    bool filterKey(QKeyEvent* event, QString& text);
};

}  // namespace keys

class TcxTextEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TcxTextEdit(QWidget* parent = nullptr);
    keys::KeyHooks hooks;

    // Longest text the user can type, paste or drop, in UTF-16 units; 0 is no limit.
    // Unlike the line edit's own limit it never cuts text that is already there or that
    // the program sets, so lowering the limit loses nothing.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }
    // Text set by the program is taken whole, whatever the limit.
    void setText(const QString& text);
    bool settingText() const { return m_settingText; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_doubleClicked = false;
    int m_maxLength = 0;
    bool m_settingText = false;
};

class TcxMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TcxMemo(QWidget* parent = nullptr);
    keys::KeyHooks hooks;
    // Longest text in characters (a line break counts as CR LF); 0 is no limit. It limits
    // what the user types, pastes or drops; text set by the program is kept whole.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int n) { m_maxLength = n; }
    // The length of a text as the memo counts it: a line break is two characters.
    static int textLength(const QString& text);
    // What of text fits in place of the selection under the limit (all of it without one).
    QString fitting(const QString& text) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int m_maxLength = 0;
    bool m_doubleClicked = false;
};

class TcxRichEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit TcxRichEdit(QWidget* parent = nullptr);
    keys::KeyHooks hooks;

    // Holds off repainting until the matching endUpdate (nested calls count); the
    // last endUpdate repaints once.
    void beginUpdate();
    void endUpdate();

    // Holds off repainting for a scope.
    class UpdateHold {
    public:
        explicit UpdateHold(TcxRichEdit* edit) : m_edit(edit) { m_edit->beginUpdate(); }
        ~UpdateHold() { m_edit->endUpdate(); }
        UpdateHold(const UpdateHold&) = delete;
        UpdateHold& operator=(const UpdateHold&) = delete;

    private:
        TcxRichEdit* m_edit;
    };
    bool updating() const { return m_updateDepth > 0; }

    // The whole content as one RTF document, and the content replaced by one.
    QByteArray saveRtf() const;
    void loadRtf(const QByteArray& rtf);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_updateDepth = 0;
    bool m_doubleClicked = false;
};

// Caption on the right of the box, like the suite's check box.
class TcxCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TcxCheckBox(const QString& caption, QWidget* parent = nullptr);
};

// The items of a combo box's list, in order.
QStringList itemsOf(const QComboBox* combo);

// A free-text combo box with a list.
class TcxComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TcxComboBox(QWidget* parent = nullptr);
    keys::KeyHooks hooks;

    // The list item that the text names exactly, letter case included; -1 when none does.
    int itemIndex() const;
    // Replaces the list items; the text stays as it is and no change is reported. The box
    // paints once, when the new list stands.
    void replaceItems(const QStringList& items);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
