#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <functional>

class QKeyEvent;

// Edit controls with the control suite's key events: a key-down handler sees every
// key first (it may set the key to 0 to swallow it), then a key-press handler sees
// each typed character before the control inserts it (setting it to QChar() refuses it).
namespace keys {

struct KeyHooks {
    // Key-down: key code (Qt::Key) and modifiers; set key to 0 to swallow the key.
    std::function<void(int& key, Qt::KeyboardModifiers shift)> onKeyDown;
    // Key-press: the typed character; set it to QChar() (character 0) to refuse it.
    std::function<void(QChar& key)> onKeyPress;
    std::function<void()> onEnter;  // focus gained
    std::function<void()> onExit;   // focus lost
    std::function<void()> onClick;
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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TcxMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TcxMemo(QWidget* parent = nullptr);
    keys::KeyHooks hooks;
    // Longest text in characters (a line break counts as CR LF); 0 is no limit.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int n) { m_maxLength = n; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_maxLength = 0;
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
    bool updating() const { return m_updateDepth > 0; }

    // The whole content as one RTF document, and the content replaced by one.
    QByteArray saveRtf() const;
    void loadRtf(const QByteArray& rtf);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_updateDepth = 0;
};

// Caption on the right of the box, like the suite's check box.
class TcxCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TcxCheckBox(const QString& caption, QWidget* parent = nullptr);
};

// A free-text combo box with a list.
class TcxComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TcxComboBox(QWidget* parent = nullptr);
    keys::KeyHooks hooks;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
