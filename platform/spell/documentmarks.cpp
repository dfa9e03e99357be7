#include "platform/spell/documentmarks.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include "platform/spell/engine.h"

namespace spell {

namespace {

// Checking done inside one change of the document (a keystroke, a paste) before the rest is
// left to the slices; and the length of one slice.
constexpr qint64 kChangeBudgetNs = 3'000'000;
constexpr qint64 kSliceNs = 4'000'000;

quint64 nextMarksId() {
    static quint64 next = 0;
    return ++next;
}

// What was found in a block: the text it was found in (by its hash), the generation of the
// dictionaries and the misspelt words.
struct BlockMarks : QTextBlockUserData {
    quint64 owner = 0;
    int generation = 0;
    size_t hash = 0;
    QList<WordSpan> marks;
};

BlockMarks* ownData(const QTextBlock& block, quint64 owner) {
    auto* data = dynamic_cast<BlockMarks*>(block.userData());
    return data && data->owner == owner ? data : nullptr;
}

}  // namespace

QTextCharFormat DocumentMarks::markFormat() {
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

DocumentMarks::DocumentMarks(QTextDocument* document, Engine* engine)
    : QObject(document), m_document(document), m_engine(engine), m_id(nextMarksId()) {
    // A document reports its changes only once it has a layout.
    document->documentLayout();
    connect(document, &QTextDocument::contentsChange, this, &DocumentMarks::contentsChange);
    connect(engine, &Engine::opened, this, &DocumentMarks::checkAgain);
    connect(engine, &Engine::wordsAccepted, this, &DocumentMarks::dropAccepted);
    scheduleScan(0);
}

DocumentMarks::~DocumentMarks() {
    if (!m_document) return;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        BlockMarks* data = ownData(block, m_id);
        if (!data) continue;
        if (!data->marks.isEmpty()) setMarks(block, {});
        block.setUserData(nullptr);
    }
    layOutMarked();
}

QList<WordSpan> DocumentMarks::marks(const QTextBlock& block) const {
    const BlockMarks* data = ownData(block, m_id);
    return data ? data->marks : QList<WordSpan>();
}

void DocumentMarks::contentsChange(int from, int removed, int added) {
    if (!m_document || !m_engine || !m_engine->isOpen()) return;
    QTextBlock block = m_document->findBlock(from);
    const QTextBlock last = m_document->findBlock(from + added + (removed > 0 ? 1 : 0));
    const int end = last.isValid() ? last.position() + last.length() : m_document->characterCount();
    QElapsedTimer timer;
    timer.start();
    for (; block.isValid() && block.position() < end; block = block.next()) {
        if (timer.nsecsElapsed() < kChangeBudgetNs) {
            checkBlock(block);
            continue;
        }
        // Marks of a changed text no longer fit it: they go until the slice checks it again.
        if (BlockMarks* data = ownData(block, m_id)) {
            data->hash = 0;
            if (!data->marks.isEmpty()) setMarks(block, {});
        }
        scheduleScan(block.position());
    }
    layOutMarked();
}

void DocumentMarks::scheduleScan(int from) {
    m_scanFrom = m_scanFrom < 0 ? from : qMin(m_scanFrom, from);
    if (m_scanPosted) return;
    m_scanPosted = true;
    QTimer::singleShot(0, this, &DocumentMarks::scanSlice);
}

void DocumentMarks::scanSlice() {
    m_scanPosted = false;
    if (!m_document || m_scanFrom < 0) return;
    // Before the dictionaries are open there is nothing to find; opened() starts again.
    if (!m_engine || !m_engine->isOpen()) return;
    QElapsedTimer timer;
    timer.start();
    QTextBlock block = m_document->findBlock(m_scanFrom);
    while (block.isValid() && timer.nsecsElapsed() < kSliceNs) {
        checkBlock(block);
        block = block.next();
    }
    layOutMarked();
    m_scanFrom = -1;
    if (block.isValid()) scheduleScan(block.position());
}

void DocumentMarks::checkBlock(const QTextBlock& block) {
    const QString text = block.text();
    const size_t hash = qHash(text);
    BlockMarks* data = ownData(block, m_id);
    if (data && data->generation == m_engine->generation() && data->hash == hash) return;
    if (!data) {
        data = new BlockMarks;
        data->owner = m_id;
        QTextBlock(block).setUserData(data);
    }
    data->generation = m_engine->generation();
    data->hash = hash;
    data->marks = m_engine->misspelt(text);
    setMarks(block, data->marks);
}

void DocumentMarks::setMarks(const QTextBlock& block, const QList<WordSpan>& marks) {
    QTextLayout* layout = block.layout();
    if (!layout) return;
    // While an input method composes text in the block, its own formats stand there.
    if (!layout->preeditAreaText().isEmpty()) {
        if (BlockMarks* data = ownData(block, m_id)) data->hash = 0;
        return;
    }
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(marks.size());
    const QTextCharFormat format = markFormat();
    for (const WordSpan& mark : marks) ranges.append({mark.start, mark.length, format});
    if (layout->formats() == ranges) return;
    layout->setFormats(ranges);
    const int end = block.position() + block.length();
    m_dirtyFrom = m_dirtyFrom < 0 ? block.position() : qMin(m_dirtyFrom, block.position());
    m_dirtyTo = qMax(m_dirtyTo, end);
}

void DocumentMarks::layOutMarked() {
    if (m_dirtyFrom < 0) return;
    // One layout pass for every block whose marks changed: a pass costs about as much for
    // one block as for many in a long document.
    if (m_document) m_document->markContentsDirty(m_dirtyFrom, m_dirtyTo - m_dirtyFrom);
    m_dirtyFrom = -1;
    m_dirtyTo = -1;
}

void DocumentMarks::checkAgain() {
    scheduleScan(0);
}

void DocumentMarks::dropAccepted() {
    if (!m_document || !m_engine) return;
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        BlockMarks* data = ownData(block, m_id);
        if (!data || data->marks.isEmpty()) continue;
        const QList<WordSpan> kept = m_engine->stillMisspelt(block.text(), data->marks);
        if (kept.size() == data->marks.size()) continue;
        data->marks = kept;
        setMarks(block, kept);
    }
    layOutMarked();
}

}  // namespace spell
