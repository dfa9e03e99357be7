#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>

#include "platform/spell/words.h"

class QMenu;
class QWidget;

namespace spell {
class Engine;
class DocumentMarks;
class LineMarks;
}  // namespace spell

// The spell checker that marks misspelt words as one types, in every edit control of every
// window: single-line edits, memos and rich edits. It opens "en_US.aff", "en_US.dic" and
// "User.dic" from the program folder when it is created (on a worker thread, so the start
// does not wait), and serves the whole application from then on.
//
// Checking starts in a control each time the control gets the focus while checking as one
// types is on: the start handler is asked first and may refuse the control. Once started,
// the control's misspelt words stay underlined, following every change of its text, until
// checking as one types is turned off, the control is refused at a later start, or
// stopCheckAsYouType removes its marks. The control's context menu then begins with up to
// eight suggestions for the word under the mouse, "Ignore All" and "Add to Dictionary".
// Password fields and the edits inside spin boxes are never checked.
class TSpellChecker : public QObject {
    Q_OBJECT
public:
    // Dictionaries from the program folder.
    explicit TSpellChecker(QObject* parent = nullptr);
    // Dictionaries from folder (with a trailing '/').
    explicit TSpellChecker(const QString& folder, QObject* parent = nullptr);
    ~TSpellChecker() override;

    // Checking as one types in every control it serves. Off removes every mark at once; on
    // starts checking in the focused control, the others start when they get the focus.
    bool checkAsYouType() const { return m_asYouType; }
    void setCheckAsYouType(bool on);

    // Asked each time checking as one types is about to start in a control; allow comes in
    // true and the handler may set it to false to refuse the control.
    using CheckAsYouTypeStart = std::function<void(QWidget* control, bool& allow)>;
    void setOnCheckAsYouTypeStart(CheckAsYouTypeStart handler);

    // Stops checking in a control and removes its marks at once; it starts again (asking the
    // start handler) when the control next gets the focus.
    void stopCheckAsYouType(QWidget* control);
    // Whether checking as one types runs in a control.
    bool isChecking(QWidget* control) const;

    // The misspelt words marked in a control, in positions of its whole text.
    QList<spell::WordSpan> marks(QWidget* control) const;
    // Whether the dictionaries have been opened (or found missing).
    bool isReady() const;
    // Whether every control in which checking runs has been checked in full.
    bool isComplete() const;

    // The control's own context menu with the spell checker's entries in front, for the
    // marked word at a position of its text; nullptr when no marked word stands there.
    // The caller owns the menu.
    QMenu* createContextMenu(QWidget* control, int position);

    spell::Engine* engine() const { return m_engine; }

signals:
    void checkAsYouTypeChanged(bool on);
    // The dictionaries are open (or found missing).
    void ready();
    // A text for the status line: a word could not be saved to the user dictionary.
    void statusMessage(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Checked {
        QPointer<spell::LineMarks> line;
        QPointer<spell::DocumentMarks> document;
        QMetaObject::Connection destroyed;
    };

    void focusChanged(QWidget* now);
    void startIn(QWidget* control);
    void attach(QWidget* control);
    void detach(QWidget* control);
    void stopAll();
    bool contextMenu(QWidget* control, QEvent* event);
    void replaceWord(QWidget* control, int position, const QString& word,
                     const QString& replacement);

    spell::Engine* m_engine;
    bool m_asYouType = true;
    CheckAsYouTypeStart m_onStart;
    QHash<QWidget*, Checked> m_checked;
};
