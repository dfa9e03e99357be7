// The spell checker's word rules, its dictionaries and the marks of a text document.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <functional>
#include <memory>

#include "platform/spell/documentmarks.h"
#include "platform/spell/engine.h"
#include "platform/spell/userdictionary.h"
#include "platform/spell/words.h"
#include "tests/support/fifo.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qt_print.h"

namespace {

QStringList wordsOf(const QString& text) {
    QStringList words;
    for (const spell::WordSpan& word : spell::checkedWords(text))
        words.append(text.mid(word.start, word.length));
    return words;
}

TEST(SpellWords, LettersDigitsAndInnerApostrophesFormWords) {
    struct Case {
        const char* text;
        QStringList words;
    } cases[] = {
        {"A cat, the sunset-lake; boat.", {"cat", "the", "sunset", "lake", "boat"}},
        {"don't  photographers' 'quoted'", {"don't", "photographers", "quoted"}},
        {"it\xE2\x80\x99s caf\xC3\xA9 Stra\xC3\x9F"
         "e",
         {"it\xE2\x80\x99s", "caf\xC3\xA9",
          "Stra\xC3\x9F"
          "e"}},
        // A combining accent belongs to its letter.
        {"cafe\xCC\x81 ok", {"cafe\xCC\x81", "ok"}},
        // Words with digits are not looked up.
        {"4k 2nd IMG_2041 mp3 Nikon_D850 sunset", {"Nikon", "sunset"}},
        // All-capital words of up to five letters are abbreviations; six or more are checked.
        {"NASA DSLR HDR USA SUNSET Sunset US I", {"SUNSET", "Sunset"}},
        {"CAN'T WOULDN'T", {"WOULDN'T"}},
        // Web and e-mail addresses are skipped whole, punctuation around them included.
        {"see https://exmaple.com/pathh now", {"see", "now"}},
        {"(www.adobe-stok.com) ftp://x.org user.name@shuttr.com mail", {"mail"}},
        {"a@b no@dot twitter @handle", {"a", "b", "no", "dot", "twitter", "handle"}},
        {"", {}},
        {" \t\n", {}},
    };
    for (const Case& c : cases) {
        QStringList expected;
        for (const QString& word : c.words) expected.append(word);
        EXPECT_EQ(wordsOf(QString::fromUtf8(c.text)), expected) << c.text;
    }
}

TEST(SpellWords, SpansAreInUtf16Units) {
    // Two small letters outside the basic plane, then one inside.
    const QString text = QString::fromUtf8("\xF0\x9D\x90\x9A\xF0\x9D\x90\x9B x");
    const auto words = spell::checkedWords(text);
    ASSERT_EQ(words.size(), 2);
    EXPECT_EQ(words[0], (spell::WordSpan{0, 4}));
    EXPECT_EQ(words[1], (spell::WordSpan{5, 1}));
}

// A program folder with the staged dictionaries.
class SpellFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir->isValid());
        for (const char* name : {"en_US.aff", "en_US.dic"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(PIXOLET_PROGRAM_DIR "/") + QLatin1String(name),
                                    path(QLatin1String(name))));
    }
    QString folder() const { return dir->path() + '/'; }
    QString path(const QString& name) const { return folder() + name; }
    QByteArray userDic() const { return readAll(path("User.dic")); }
    void writeUserDic(const QByteArray& bytes) { writeFile(path("User.dic"), bytes); }

    std::unique_ptr<QTemporaryDir> dir;
};

TEST_F(SpellFolder, DictionariesOpenOnAWorkerThreadAndFindMisspeltWords) {
    spell::Engine engine;
    QSignalSpy opened(&engine, &spell::Engine::opened);
    engine.open(folder());
    // Until the files are open nothing is wrong.
    EXPECT_TRUE(engine.isCorrect(u"wrold"));
    ASSERT_TRUE(opened.wait(10000));
    EXPECT_TRUE(engine.hasDictionary());
    const QString text = QStringLiteral("The wrold of photografy, SUNSET and NASA");
    QStringList wrong;
    for (const auto& word : engine.misspelt(text)) wrong.append(text.mid(word.start, word.length));
    EXPECT_EQ(wrong, QStringList({"wrold", "photografy"}));
    const QStringList suggestions = engine.suggestions("wrold");
    EXPECT_TRUE(suggestions.contains("world"));
    EXPECT_LE(engine.suggestions("photografy", 2).size(), 2);
}

TEST_F(SpellFolder, MissingOrUnreadableDictionariesMarkNothing) {
    struct Case {
        const char* name;
        std::function<void(const QString& folder)> spoil;
    } cases[] = {{"no word list", [](const QString& f) { QFile::remove(f + "en_US.dic"); }},
                 {"no affix file", [](const QString& f) { QFile::remove(f + "en_US.aff"); }},
                 {"empty word list",
                  [](const QString& f) {
                      QFile file(f + "en_US.dic");
                      ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                  }},
                 {"word list not a file", [](const QString& f) {
                      QFile::remove(f + "en_US.dic");
                      QDir().mkdir(f + "en_US.dic");
                  }}};
    for (const Case& c : cases) {
        SetUp();  // a fresh folder for each case
        c.spoil(folder());
        spell::Engine engine;
        engine.openNow(folder());
        EXPECT_TRUE(engine.isOpen()) << c.name;
        EXPECT_FALSE(engine.hasDictionary()) << c.name;
        EXPECT_TRUE(engine.misspelt(u"wrold photografy").isEmpty()) << c.name;
        EXPECT_TRUE(engine.suggestions("wrold").isEmpty()) << c.name;
    }
}

// A pipe in a dictionary file's place is no dictionary: opening ends at once with nothing
// marked (the program waits for the loader thread at exit), and adding a word says that the
// user dictionary cannot be read.
TEST_F(SpellFolder, APipeInADictionaryFilesPlaceNeverBlocks) {
    for (const char* name : {"en_US.aff", "en_US.dic"}) {
        SCOPED_TRACE(name);
        SetUp();
        ASSERT_TRUE(QFile::remove(path(name)));
        ASSERT_TRUE(makeFifo(path(name)));
        spell::Engine engine;
        EXPECT_TRUE(finishesWithoutWaitingOn({path(name)}, [&] { engine.openNow(folder()); }));
        EXPECT_TRUE(engine.isOpen());
        EXPECT_FALSE(engine.hasDictionary());
    }
    SetUp();
    ASSERT_TRUE(makeFifo(path("User.dic")));
    spell::Engine engine;
    QSignalSpy status(&engine, &spell::Engine::statusMessage);
    EXPECT_TRUE(finishesWithoutWaitingOn({path("User.dic")}, [&] {
        engine.openNow(folder());
        engine.addToDictionary("bokehful");
    }));
    EXPECT_TRUE(engine.hasDictionary());
    EXPECT_TRUE(engine.isCorrect(u"bokehful"));
    ASSERT_EQ(status.size(), 1);
    EXPECT_EQ(status[0][0].toString(), "Unable to read " + path("User.dic") +
                                           ": Not a regular file. Added words are kept until the "
                                           "program closes.");
}

TEST_F(SpellFolder, AddedWordsAreAppendedToTheUserDictionaryAndLoadedAgainAtStart) {
    writeUserDic("Pixolet\r\nbokehful");  // a file made on Windows, without a last line break
    {
        spell::Engine engine;
        engine.openNow(folder());
        EXPECT_TRUE(engine.isCorrect(u"Pixolet"));
        EXPECT_TRUE(engine.isCorrect(u"bokehful"));
        EXPECT_FALSE(engine.isCorrect(u"Fotolia"));
        QSignalSpy accepted(&engine, &spell::Engine::wordsAccepted);
        engine.addToDictionary("Fotolia");
        engine.addToDictionary(QString::fromUtf8("Sch\xC3\xB6nheit"));
        EXPECT_EQ(accepted.size(), 2);
        EXPECT_TRUE(engine.isCorrect(u"Fotolia"));
        // Ignored words count for the run only.
        engine.ignoreAll("xyzzyq");
        EXPECT_TRUE(engine.isCorrect(u"xyzzyq"));
    }
    EXPECT_EQ(userDic(), QByteArray("Pixolet\r\nbokehful\nFotolia\nSch\xC3\xB6nheit\n"));
    spell::Engine restarted;
    restarted.openNow(folder());
    EXPECT_TRUE(restarted.isCorrect(u"Fotolia"));
    EXPECT_TRUE(restarted.isCorrect(QString::fromUtf8("Sch\xC3\xB6nheit")));
    EXPECT_FALSE(restarted.isCorrect(u"xyzzyq"));
    EXPECT_EQ(
        spell::readUserWords(path("User.dic")),
        QStringList({"Pixolet", "bokehful", "Fotolia", QString::fromUtf8("Sch\xC3\xB6nheit")}));
}

TEST_F(SpellFolder, AUserDictionaryThatCannotBeWrittenKeepsTheWordsAndSaysSoOnce) {
    // A folder in the user dictionary's place can be neither read nor replaced.
    ASSERT_TRUE(QDir().mkdir(path("User.dic")));
    spell::Engine engine;
    engine.openNow(folder());
    QSignalSpy messages(&engine, &spell::Engine::statusMessage);
    engine.addToDictionary("Fotolia");
    engine.addToDictionary("Pond5");
    ASSERT_EQ(messages.size(), 1);
    const QString message = messages[0][0].toString();
    EXPECT_TRUE(message.contains("User.dic")) << message.toStdString();
    EXPECT_TRUE(message.endsWith("Added words are kept until the program closes."));
    EXPECT_TRUE(engine.isCorrect(u"Fotolia"));
    // Once the file can be written the next word saves every word kept so far.
    ASSERT_TRUE(QDir().rmdir(path("User.dic")));
    engine.addToDictionary("Dreamstime");
    EXPECT_EQ(userDic(), QByteArray("Fotolia\nPond5\nDreamstime\n"));
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(SpellFolder, AReadOnlyUserDictionaryIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "file permissions do not bind root";
    writeUserDic("Pixolet\n");
    ASSERT_TRUE(QFile::setPermissions(path("User.dic"), QFile::ReadOwner));
    spell::Engine engine;
    engine.openNow(folder());
    QSignalSpy messages(&engine, &spell::Engine::statusMessage);
    engine.addToDictionary("Fotolia");
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(userDic(), QByteArray("Pixolet\n"));
    EXPECT_TRUE(engine.isCorrect(u"Fotolia"));
}

// A document with marks, the dictionaries opened before.
class MarkedDocument : public SpellFolder {
protected:
    void SetUp() override {
        SpellFolder::SetUp();
        engine.openNow(folder());
    }
    QStringList marked(const spell::DocumentMarks& marks) {
        QStringList words;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            for (const auto& mark : marks.marks(block))
                words.append(block.text().mid(mark.start, mark.length));
        return words;
    }
    // The layout formats of a block: where the marks are drawn.
    static QList<spell::WordSpan> drawn(const QTextBlock& block) {
        QList<spell::WordSpan> spans;
        for (const auto& range : block.layout()->formats()) {
            EXPECT_EQ(range.format.underlineStyle(), QTextCharFormat::WaveUnderline);
            EXPECT_EQ(range.format.underlineColor(), QColor(Qt::red));
            spans.append({range.start, range.length});
        }
        return spans;
    }

    spell::Engine engine;
    QTextDocument document;
};

TEST_F(MarkedDocument, MisspeltWordsAreUnderlinedWithoutChangingTheDocument) {
    QTextCursor cursor(&document);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    cursor.insertText("SUNSET OVER THE LAKE", bold);
    cursor.insertBlock();
    cursor.insertText("A cat wacthes the sunset from a boat.", QTextCharFormat());
    QSignalSpy changed(&document, &QTextDocument::contentsChanged);

    auto* marks = new spell::DocumentMarks(&document, &engine);
    // The first check runs from the event loop.
    EXPECT_EQ(engine.lookups(), 0u);
    EXPECT_FALSE(marks->isComplete());
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks->isComplete(); }));
    EXPECT_EQ(marked(*marks), QStringList{"wacthes"});
    EXPECT_EQ(drawn(document.begin().next()), (QList<spell::WordSpan>{{6, 7}}));
    EXPECT_TRUE(drawn(document.begin()).isEmpty());
    // Marking is no change of the document.
    EXPECT_EQ(changed.size(), 0);

    // Typing fixes the word: the block is checked again at once.
    QTextCursor typing(&document);
    typing.setPosition(document.begin().next().position() + 10);
    typing.deletePreviousChar();
    typing.deletePreviousChar();
    typing.insertText("tc");
    EXPECT_EQ(document.begin().next().text(), "A cat watches the sunset from a boat.");
    EXPECT_TRUE(marked(*marks).isEmpty());
    EXPECT_TRUE(drawn(document.begin().next()).isEmpty());
    typing.insertText("h");
    EXPECT_EQ(marked(*marks), QStringList{"watchhes"});

    // The marks are no formats of the document: it reads the same without them.
    const QString withMarks = document.toHtml();
    EXPECT_FALSE(withMarks.contains("underline"));
    changed.clear();
    delete marks;
    EXPECT_TRUE(drawn(document.begin().next()).isEmpty());
    EXPECT_EQ(changed.size(), 0);
    EXPECT_EQ(document.toHtml(), withMarks);
}

TEST_F(MarkedDocument, AChangeIsCheckedOnlyInTheBlocksItTouches) {
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("Entry %1 with a misspeled word and other words%1\n").arg(i);
    document.setPlainText(text);
    spell::DocumentMarks marks(&document, &engine);
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks.isComplete(); }));
    EXPECT_EQ(marked(marks).size(), 300);

    // A format change (a search mark) looks nothing up again; a typed word only its block.
    const quint64 before = engine.lookups();
    QTextCursor cursor(document.findBlockByNumber(150));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat yellow;
    yellow.setBackground(Qt::yellow);
    cursor.mergeCharFormat(yellow);
    EXPECT_EQ(engine.lookups(), before);
    cursor.clearSelection();
    cursor.insertText(" zebrafishh");
    EXPECT_EQ(engine.lookups(), before + 1);
    EXPECT_EQ(marks.marks(document.findBlockByNumber(150)).size(), 2);
    EXPECT_TRUE(marks.isComplete());
}

TEST_F(MarkedDocument, WordsAddedOrIgnoredLoseTheirMarksEverywhere) {
    document.setPlainText("Pixolet tags\nan image in Pixolet\nwith bokehh");
    spell::DocumentMarks marks(&document, &engine);
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks.isComplete(); }));
    EXPECT_EQ(marked(marks), QStringList({"Pixolet", "Pixolet", "bokehh"}));
    engine.ignoreAll("bokehh");
    EXPECT_EQ(marked(marks), QStringList({"Pixolet", "Pixolet"}));
    engine.addToDictionary("Pixolet");
    EXPECT_TRUE(marked(marks).isEmpty());
    EXPECT_TRUE(drawn(document.begin()).isEmpty());
}

TEST_F(MarkedDocument, ALargeChangeIsFinishedInSlicesFromTheEventLoop) {
    spell::DocumentMarks marks(&document, &engine);
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("Block %1 holds wrdo%2 and more words\n")
                    .arg(i)
                    .arg(QChar('a' + i % 26));
    document.setPlainText(text);  // one change of 3,000 blocks
    EXPECT_FALSE(marks.isComplete());
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks.isComplete(); }, 20000));
    EXPECT_EQ(marked(marks).size(), 3000);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (!block.text().isEmpty()) {
            ASSERT_EQ(drawn(block).size(), 1) << block.blockNumber();
        }
}

TEST_F(SpellFolder, MarksWaitForTheDictionariesToOpen) {
    spell::Engine engine;
    QTextDocument document;
    document.setPlainText("a wrold");
    spell::DocumentMarks marks(&document, &engine);
    engine.open(folder());
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine.isOpen() && marks.isComplete(); }));
    EXPECT_EQ(marks.marks(document.begin()), (QList<spell::WordSpan>{{2, 5}}));
}

}  // namespace
