#pragma once

#include <QLineF>
#include <QPointer>
#include <QTextLayout>
#include <QWidget>

#include "platform/spell/words.h"

class QLineEdit;

namespace spell {

class Engine;

// Marks the misspelt words of a single-line edit. A line edit has no formats of its own
// characters, so the marks are a layer over it: a child that covers the edit, lets every
// mouse event through and draws the red wavy underlines where the edit draws the words,
// following its scrolling. The whole line is checked again on each change.
class LineMarks : public QWidget {
    Q_OBJECT
public:
    // Starts marking; the edit owns the layer.
    LineMarks(QLineEdit* edit, Engine* engine);

    QLineEdit* edit() const { return m_edit; }
    const QList<WordSpan>& marks() const { return m_marks; }
    // Where the underline of a mark runs, in the edit's coordinates, as the edit stands now.
    QLineF underline(const WordSpan& mark) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check();
    void dropAccepted();
    const QTextLine& line() const;

    QLineEdit* m_edit;
    QPointer<Engine> m_engine;
    QList<WordSpan> m_marks;
    bool m_composing = false;
    // The edit's text laid out as the edit lays it out, for the words' positions.
    mutable QTextLayout m_layout;
    mutable QTextLine m_line;
    mutable QString m_layoutText;
    mutable QFont m_layoutFont;
};

}  // namespace spell
