#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextDocument>

#include "platform/spell/words.h"

class QTextBlock;

namespace spell {

class Engine;

// Marks the misspelt words of a text document (the document of a rich edit or a memo) with
// a red wavy underline as it changes. The marks are display formats of the blocks' layouts,
// never formats of the document: saving, copying or exporting the text carries none, and
// marking emits no change signal of the document. It keeps its results in the blocks' user
// data, so nothing else may set user data on the document's blocks.
//
// A change is checked block by block as it happens, for a few milliseconds at most; what
// a larger change leaves, and the whole document when marking starts or the dictionaries
// open, is checked in short slices from the event loop, so typing never waits for it.
class DocumentMarks : public QObject {
    Q_OBJECT
public:
    // Starts marking; the document owns the object. The first check of the whole document
    // runs from the event loop, none of it before the constructor returns.
    DocumentMarks(QTextDocument* document, Engine* engine);
    // Removes every mark.
    ~DocumentMarks() override;

    QTextDocument* document() const { return m_document; }
    // Whether every block has been checked in its present state.
    bool isComplete() const { return m_scanFrom < 0; }
    // The marked words of a block, in positions of the block's text.
    QList<WordSpan> marks(const QTextBlock& block) const;

    // The look of a mark.
    static QTextCharFormat markFormat();

private:
    void contentsChange(int from, int removed, int added);
    void scanSlice();
    void scheduleScan(int from);
    void checkBlock(const QTextBlock& block);
    // Sets the formats of a block's marks; layOutMarked then lays the blocks out again.
    void setMarks(const QTextBlock& block, const QList<WordSpan>& marks);
    void layOutMarked();
    void checkAgain();
    void dropAccepted();

    QPointer<QTextDocument> m_document;
    QPointer<Engine> m_engine;
    quint64 m_id;
    int m_scanFrom = -1;
    bool m_scanPosted = false;
    int m_dirtyFrom = -1;
    int m_dirtyTo = -1;
};

}  // namespace spell
