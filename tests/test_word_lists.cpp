// The Getty word-list files: reading, saving, the duplicate rules and the merge imports.
#include <gtest/gtest.h>

#include <functional>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/errors/errors.h"
#include "platform/text/text.h"
#include "tagging/word_lists.h"
#include "tests/support/fifo.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qt_print.h"

using wordlists::Correction;

namespace {

class WordLists : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    void writeFile(const char* name, const QByteArray& bytes) { ::writeFile(path(name), bytes); }
    QByteArray readFile(const char* name) const { return readOrNone(path(name)); }
};

TEST_F(WordLists, DictionaryLinesLoadAndSaveByTheirRules) {
    struct Case {
        const char* name;
        QByteArray file;
        QList<Correction> rows;
        QByteArray saved;
    };
    const std::vector<Case> cases = {
        {"blanks around the arrow", "cat -> feline\r\n", {{"cat", "feline"}}, "cat->feline\r\n"},
        {"no arrow skipped, empty word shown then dropped",
         "kid child\r\n->x\r\ndog->hound\r\n",
         {{"", "x"}, {"dog", "hound"}},
         "dog->hound\r\n"},
        {"the correction keeps a further arrow, an empty correction stays",
         "a->b->c\nword->\n",
         {{"a", "b->c"}, {"word", ""}},
         "a->b->c\r\nword->\r\n"},
        {"sorted without regard to case, duplicates kept",
         "\tbanana->x \r\nApple->y\r\ncherry->z\r\nbanana->x",
         {{"banana", "x"}, {"Apple", "y"}, {"cherry", "z"}, {"banana", "x"}},
         "Apple->y\r\nbanana->x\r\nbanana->x\r\ncherry->z\r\n"},
        {"UTF-8 without byte-order mark, also from a Windows-1252 file",
         "stra\xDF"
         "e->street\r\n",
         {{QStringLiteral("straße"), "street"}},
         "stra\xC3\x9F"
         "e->street\r\n"},
        {"an empty list is an empty file", "\r\nno arrow\r\n", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("GettyDict.txt", c.file);
        const QList<Correction> rows = wordlists::loadDictionary(path("GettyDict.txt"));
        EXPECT_EQ(rows, c.rows);
        wordlists::saveDictionary(path("GettyDict.txt"), rows);
        EXPECT_EQ(readFile("GettyDict.txt"), c.saved);
    }
}

TEST_F(WordLists, BannedWordsLoadTrimmedAndSaveSorted) {
    writeFile("GettyBlackList.txt", "  zebra \r\n\r\n\t\r\nCute\ngroup of people\r\napple");
    const QStringList rows = wordlists::loadBlacklist(path("GettyBlackList.txt"));
    EXPECT_EQ(rows, (QStringList{"zebra", "Cute", "group of people", "apple"}));
    wordlists::saveBlacklist(path("GettyBlackList.txt"), rows + QStringList{"  ", " mouse "});
    EXPECT_EQ(readFile("GettyBlackList.txt"),
              "apple\r\nCute\r\ngroup of people\r\nmouse\r\nzebra\r\n");
    EXPECT_TRUE(wordlists::loadBlacklist(path("missing.txt")).isEmpty());
}

TEST(WordListRules, DuplicatesAndKnownWords) {
    const QList<Correction> dictionary = {{"KID", "Child"}, {"cat", "feline"}, {"É", "x"}};
    EXPECT_TRUE(wordlists::isDuplicateCorrection(dictionary, {"kid", "child"}));
    EXPECT_FALSE(wordlists::isDuplicateCorrection(dictionary, {"kid", "youngster"}));
    // Only A to Z count as equal letters of two cases in a correction.
    EXPECT_FALSE(wordlists::isDuplicateCorrection(dictionary, {"é", "x"}));

    EXPECT_TRUE(wordlists::isKnownWord({}, {"CAT"}, "cat"));
    EXPECT_TRUE(wordlists::isKnownWord(dictionary, {}, "Cat"));
    EXPECT_FALSE(wordlists::isKnownWord(dictionary, {"cats"}, "ca"));
    EXPECT_FALSE(wordlists::isKnownWord({{"cats", ""}}, {"cats"}, "cat"));
}

TEST_F(WordLists, MergesAppendNewLinesAfterTheOldOnesAndCountThem) {
    struct Case {
        const char* name;
        wordlists::ListKind kind;
        QByteArray list;  // empty: no list file
        QByteArray import;
        int added;
        QByteArray result;
    };
    using wordlists::ListKind;
    const std::vector<Case> cases = {
        {"nothing new for a list holding the word", ListKind::Blacklist, "CUTE\r\n",
         " Cute \r\ncute\r\n\r\n", 0, "CUTE\r\n"},
        {"one entry for a missing list", ListKind::Blacklist, "", " Cute \r\ncute\r\n\r\n", 1,
         "Cute\r\n"},
        {"old lines first, unsorted", ListKind::Blacklist, "zebra\r\napple\r\n", "mango\nbear", 2,
         "zebra\r\napple\r\nmango\r\nbear\r\n"},
        {"dictionary lines need an arrow", ListKind::Dictionary, "kid->child\r\n",
         "kid child\r\n dog->hound \r\nKID->CHILD\r\n", 1, "kid->child\r\ndog->hound\r\n"},
        {"whole lines compared: other blanks around the arrow are new", ListKind::Dictionary,
         "kid->child\r\n", "kid -> child\r\n", 1, "kid->child\r\nkid -> child\r\n"},
        {"a line of the import met again in it is added once", ListKind::Blacklist, "cat\r\n",
         " New \r\nNEW\r\nnew\r\nCAT\r\n", 1, "cat\r\nNew\r\n"},
        {"old lines are compared trimmed", ListKind::Blacklist, "\t Cute  \r\n", "cute\r\n", 0,
         "\t Cute  \r\n"},
        // Every letter counts without its case, one character for one: final and other
        // sigma, the Kelvin sign and k, a capital sharp s and its small one, letters beyond
        // the first 65536 characters; a sharp s is not "ss".
        {"letters of every script", ListKind::Blacklist,
         "\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3\r\nkelvin\r\nstra\xC3\x9F"
         "e\r\n\xF0\x90\x90\x80\r\n",
         "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82\r\n\xE2\x84\xAA"
         "elvin\r\nSTRA\xE1\xBA\x9E"
         "E\r\nSTRASSE\r\n\xF0\x90\x90\xA8\r\n",
         1,
         "\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3\r\nkelvin\r\nstra\xC3\x9F"
         "e\r\n\xF0\x90\x90\x80\r\nSTRASSE\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("list.txt"));
        QFile::remove(path("list.bak"));
        if (!c.list.isEmpty()) writeFile("list.txt", c.list);
        writeFile("import.txt", c.import);
        EXPECT_EQ(wordlists::mergeImport(c.kind, path("list.txt"), path("import.txt")), c.added);
        EXPECT_EQ(readFile("list.txt"), c.result);
        EXPECT_EQ(readFile("list.bak"), c.list.isEmpty() ? QByteArray("<none>") : c.list);
    }
}

// The merge finds equal lines by their folded keys: every two texts that the merge's rule
// calls equal must share their key, for each character (single ones, pairs beyond the first
// 65536, lone halves of a pair) and for whole lines.
TEST(WordListRules, TextsEqualWithoutCaseShareTheirFoldedKey) {
    QStringList texts;
    const auto units = [](std::initializer_list<char16_t> list) {
        QString text;
        for (const char16_t u : list) text += QChar(u);
        return text;
    };
    for (char32_t c = 0; c < 0x20000; ++c) {
        if (QChar::requiresSurrogates(c))
            texts << units({QChar::highSurrogate(c), QChar::lowSurrogate(c)});
        else
            texts << units({char16_t(c)});  // lone halves of a pair too
    }
    texts << units({u'a', 0xD800}) << units({u'A', 0xDC00}) << units({0xDC00, 0xD800});
    std::stable_sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    int mismatches = 0;
    for (qsizetype i = 1; i < texts.size(); ++i)
        if (wordlists::sameText(texts[i - 1], texts[i]) &&
            wordlists::foldedKey(texts[i - 1]) != wordlists::foldedKey(texts[i]) &&
            ++mismatches <= 10)
            ADD_FAILURE() << "U+"
                          << QString::number(texts[i - 1].toUcs4().value(0), 16).toStdString()
                          << " and U+"
                          << QString::number(texts[i].toUcs4().value(0), 16).toStdString();
    EXPECT_EQ(mismatches, 0);

    const std::pair<QString, QString> lines[] = {
        {"Group of People", "GROUP OF PEOPLE"},
        {QStringLiteral("ΟΔΟΣ"), QStringLiteral("οδος")},
        {QStringLiteral("\u212Aelvin"), "KELVIN"},
        {QStringLiteral("STRAẞE"), QStringLiteral("straße")},
        {QStringLiteral("\U00010400x"), QStringLiteral("\U00010428X")},
    };
    for (const auto& [a, b] : lines) {
        EXPECT_TRUE(wordlists::sameText(a, b)) << a.toStdString();
        EXPECT_EQ(wordlists::foldedKey(a), wordlists::foldedKey(b)) << a.toStdString();
    }
    EXPECT_NE(wordlists::foldedKey(QStringLiteral("straße")), wordlists::foldedKey("strasse"));
}

TEST_F(WordLists, AFailedMergeLeavesTheListAsItWas) {
    writeFile("list.txt", "cute\r\n");
    // The chosen file cannot be read: the backup is made, the list stays.
    EXPECT_THROW(wordlists::mergeImport(wordlists::ListKind::Blacklist, path("list.txt"),
                                        path("missing.txt")),
                 errors::Error);
    EXPECT_EQ(readFile("list.txt"), "cute\r\n");
    EXPECT_EQ(readFile("list.bak"), "cute\r\n");

    // The backup cannot be written: nothing is read or written.
    ASSERT_TRUE(QFile::remove(path("list.bak")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("list.bak"));
    writeFile("import.txt", "new\r\n");
    try {
        wordlists::mergeImport(wordlists::ListKind::Blacklist, path("list.txt"),
                               path("import.txt"));
        ADD_FAILURE() << "no error";
    } catch (const errors::Error& e) {
        EXPECT_TRUE(e.message().contains("list.bak")) << e.message().toStdString();
    }
    EXPECT_EQ(readFile("list.txt"), "cute\r\n");
}

// A pipe in a list's place or chosen for a merge is a file that cannot be opened, said at
// once; the list stays as it was.
TEST_F(WordLists, APipeIsAFileThatCannotBeOpened) {
    const QString pipe = path("GettyDict.txt");
    ASSERT_TRUE(makeFifo(pipe));
    writeFile("list.txt", "cute\r\n");
    QStringList messages;
    const auto collect = [&](const std::function<void()>& read) {
        try {
            read();
            ADD_FAILURE() << "no error";
        } catch (const errors::Error& e) {
            messages << e.message();
        }
    };
    EXPECT_TRUE(finishesWithoutWaitingOn({pipe}, [&] {
        collect([&] { wordlists::loadDictionary(pipe); });
        collect([&] { wordlists::loadBlacklist(pipe); });
        collect([&] {
            wordlists::mergeImport(wordlists::ListKind::Blacklist, path("list.txt"), pipe);
        });
        collect([&] {
            wordlists::mergeImport(wordlists::ListKind::Dictionary, pipe, path("list.txt"));
        });
    }));
    EXPECT_EQ(messages, QStringList(4, "Cannot open file \"" + pipe + "\". Not a regular file"));
    EXPECT_EQ(readFile("list.txt"), "cute\r\n");
}

TEST(WordListRules, BackupNamesAndLineSplitting) {
    EXPECT_EQ(wordlists::backupFileOf("/p/GettyDict.txt"), "/p/GettyDict.bak");
    EXPECT_EQ(wordlists::backupFileOf("/p/GettyBlackList.txt"), "/p/GettyBlackList.bak");
    EXPECT_EQ(text::splitLines("a\r\nb\rc\nd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(text::splitLines("a\r\n\r\n"), (QStringList{"a", ""}));
    EXPECT_EQ(text::splitLines("\n"), QStringList{""});
    EXPECT_TRUE(text::splitLines("").isEmpty());
}

}  // namespace
