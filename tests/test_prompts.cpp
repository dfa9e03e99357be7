// The "Standard" and "Getty Images" prompts: whole prompts against golden files typed from
// the templates, then the rules of counts, optional blocks, lists and word-list files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "platform/appfolder/appfolder.h"
#include "platform/errors/errors.h"
#include "tagging/prompts.h"
#include "tests/support/fifo.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qt_print.h"

using prompts::PromptSettings;

namespace {

QByteArray golden(const char* name) {
    QFile file(QStringLiteral(PIXOLET_SOURCE_DIR "/tests/data/prompts/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// Runs each test beside a program folder of its own, for the two word-list files.
class Prompts : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void SetUp() override { appfolder::setProgramFolderForTests(dir.path()); }
    void TearDown() override { appfolder::setProgramFolderForTests({}); }

    void writeFile(const char* name, const QByteArray& bytes) {
        ::writeFile(dir.filePath(QLatin1String(name)), bytes);
    }
    // Settings with the word lists read from the program folder, as the window reads them.
    static PromptSettings withLists(PromptSettings s) {
        s.gettyDictionary = prompts::ReadGettyDictionaryText();
        s.gettyBlacklist = prompts::ReadGettyBlacklistCommaText();
        return s;
    }
};

TEST_F(Prompts, StandardWithEveryOptionAndTextIsTheGoldenPrompt) {
    PromptSettings s;
    s.conceptNote = QStringLiteral("Family breakfast\r\nin a sunny kitchen");
    s.includeText = QStringLiteral("coffee, morning");
    s.excludeText = QStringLiteral("logo, brand");
    EXPECT_EQ(prompts::BuildStandardPrompt(s).toUtf8(), golden("standard_full.txt"));
}

TEST_F(Prompts, StandardWithEveryOptionOffEndsAfterTheConstraints) {
    PromptSettings s;
    s.detectCategories = s.includePeople = s.deepVision = false;
    const QString prompt = prompts::BuildStandardPrompt(s);
    EXPECT_EQ(prompt.toUtf8(), golden("standard_off.txt"));
    EXPECT_TRUE(prompt.endsWith(QStringLiteral("</constraints>\r\n\r\n")));
}

TEST_F(Prompts, GettyWithWordListsIsTheGoldenPrompt) {
    writeFile("GettyBlackList.txt", "cute\r\ngroup of people\r\n");
    writeFile("GettyDict.txt", "kid->child\r\ngeneration->two generation family\r\n");
    PromptSettings s;
    s.conceptNote = QStringLiteral("Grandparents reading to a child");
    s.includeText = QStringLiteral("reading, book");
    s.excludeText = QStringLiteral("logo");
    EXPECT_EQ(prompts::BuildGettyPrompt(withLists(s)).toUtf8(), golden("getty_lists.txt"));
}

TEST_F(Prompts, GettyWithoutWordListsHasAnEmptyBannedList) {
    PromptSettings s;
    s.includePeople = s.deepVision = false;
    s.detectCategories = true;  // the Getty prompt asks for no categories either way
    EXPECT_EQ(prompts::BuildGettyPrompt(withLists(s)).toUtf8(), golden("getty_bare.txt"));
}

// One setting changed from the design values; what each prompt then holds and lacks.
struct SettingCase {
    const char* name;
    std::function<void(PromptSettings&)> change;
    QStringList standardHas, standardLacks, gettyHas, gettyLacks;
};

TEST_F(Prompts, SettingsReachBothPromptsByTheirOwnRules) {
    const QString crlf = QStringLiteral("\r\n");
    const std::vector<SettingCase> cases = {
        {"equal bounds",
         [](PromptSettings& s) { s.keysFrom = s.keysTo = 40; },
         {"1. KEYWORD COUNT: Provide EXACTLY 40.\r\n"},
         {"between"},
         {"1. KEYWORDS: between 40 and 40 keywords. Priority: Accuracy over quantity. NEVER"},
         {"EXACTLY"}},
        {"upper bound 0",
         [](PromptSettings& s) { s.keysTo = 0; },
         {"Provide EXACTLY 39.\r\n"},
         {},
         {"KEYWORDS: between 39 and 0 keywords."},
         {}},
        {"concept of blanks and line breaks",
         [](PromptSettings& s) { s.conceptNote = QStringLiteral(" \r\n\t \r\n"); },
         {},
         {"<context_concept>"},
         {"\r\nCONCEPT: \r\nMANDATORY_TERMS: \r\n"},
         {}},
        {"concept holding a placeholder's name stays as typed",
         [](PromptSettings& s) { s.conceptNote = QStringLiteral("{titleMax} {countText}"); },
         {"\r\n<context_concept>{titleMax} {countText}</context_concept>\r\n"},
         {},
         {"\r\nCONCEPT: {titleMax} {countText}\r\n"},
         {}},
        {"include text of one blank",
         [](PromptSettings& s) { s.includeText = QStringLiteral(" "); },
         {"\r\n<mandatory_keywords> </mandatory_keywords>\r\n"},
         {},
         {"\r\nMANDATORY_TERMS:  \r\n"},
         {}},
        {"exclude text alone is the whole banned list",
         [](PromptSettings& s) { s.excludeText = QStringLiteral("logo"); },
         {"\r\n<forbidden_terms>logo</forbidden_terms>\r\n"},
         {},
         {"\r\nBANNED_STRINGS: [logo]\r\n"},
         {"forbidden_terms"}},
        {"Deep Vision off",
         [](PromptSettings& s) { s.deepVision = false; },
         {"</system_instruction>\r\n\r\n<output_schema>\r\n"},
         {"agentic_protocol"},
         {"</lexical_firewall>\r\n\r\n<output_schema>\r\n"},
         {"agentic_protocol"}},
        {"people off",
         [](PromptSettings& s) { s.includePeople = false; },
         {},
         {"people_detection"},
         {"\r\n<constraints>NO PEOPLE OR AGE TAGS ALLOWED.</constraints>\r\n</input_data>\r\n"},
         {"getty_people_rules"}},
        {"categories appended by earlier replies end their lists",
         [](PromptSettings& s) {
             s.adobeCategories << QStringLiteral("Vehicles");
             s.shutterPrimary << QStringLiteral("Night Life");
             s.shutterSecondary << QStringLiteral("Say \"cheese\"");
         },
         {", Transport, Travel, Vehicles\r\n", ",Transportation,Vintage,\"Night Life\"\r\n",
          ",Transportation,Vintage,\"Say \"\"cheese\"\"\"\r\n"},
         {},
         {},
         {"Vehicles", "dataset_a_adobe"}},
        {"limits",
         [](PromptSettings& s) {
             s.titleMax = 70;
             s.descriptionMax = 150;
         },
         {"\"Strictly Max 70 characters\",", "\"Strictly Max 150 characters\","},
         {},
         {"\"Max 70 characters. Be concise.\",", "Maximum 150 characters.",
          "Description MUST NOT exceed 150 chars."},
         {}},
    };
    for (const SettingCase& c : cases) {
        SCOPED_TRACE(c.name);
        PromptSettings s;
        c.change(s);
        const QString standard = prompts::BuildStandardPrompt(s);
        const QString getty = prompts::BuildGettyPrompt(s);
        for (const QString& part : c.standardHas)
            EXPECT_TRUE(standard.contains(part)) << part.toStdString();
        for (const QString& part : c.standardLacks)
            EXPECT_FALSE(standard.contains(part)) << part.toStdString();
        for (const QString& part : c.gettyHas)
            EXPECT_TRUE(getty.contains(part)) << part.toStdString();
        for (const QString& part : c.gettyLacks)
            EXPECT_FALSE(getty.contains(part)) << part.toStdString();
        // No line break other than CR LF, whatever the setting.
        EXPECT_EQ(standard.count(u'\n'), standard.count(crlf));
        EXPECT_EQ(getty.count(u'\r'), getty.count(crlf));
    }
}

// The two word-list files as the Getty prompt shows them.
struct ListCase {
    const char* name;
    QByteArray dictionary, blacklist;  // an empty text: no file
    QString exclude;
    QString bannedLine, transformations;
};

TEST_F(Prompts, WordListFilesReachTheGettyPrompt) {
    const std::vector<ListCase> cases = {
        {"the banned-list example", "kid->child\r\n", "cute\r\ngroup of people\r\n", "logo",
         "[cute,\"group of people\", \"kid\", logo]", "kid->child\r\n"},
        {"lines without an arrow or with an empty word add no banned word",
         "kid child\r\n->x\r\n cat -> feline\r\n", "", "", "[\"cat\"]",
         "kid child\r\n->x\r\n cat -> feline\r\n"},
        {"LF line ends and no final line break", "kid->child\ncat->feline", "cute\nsmiling baby",
         "", "[cute,\"smiling baby\", \"kid\", \"cat\"]", "kid->child\r\ncat->feline\r\n"},
        {"lone CR line ends", "kid->child\rcat->feline\r", "cute\r", "", "[cute, \"kid\", \"cat\"]",
         "kid->child\r\ncat->feline\r\n"},
        {"empty lines stay empty items", "kid->child\r\n\r\n", "cute\r\n\r\nsad\r\n", "",
         "[cute,,sad, \"kid\"]", "kid->child\r\n\r\n"},
        {"a banned file of one empty line", "", "\r\n", "", "[\"\"]", ""},
        {"quotes: doubled in banned words, not in dictionary words", "say \"hi\"->hello\r\n",
         "say \"cheese\"\r\n", "", "[\"say \"\"cheese\"\"\", \"say \"hi\"\"]",
         "say \"hi\"->hello\r\n"},
        {"byte-order mark skipped", "\xEF\xBB\xBFkid->child\r\n",
         "\xEF\xBB\xBF"
         "cute\r\n",
         "", "[cute, \"kid\"]", "kid->child\r\n"},
        {"a Windows-1252 file",
         "stra\xDF"
         "e->street\r\n",
         "caf\xE9\r\n", "", QStringLiteral("[café, \"straße\"]"),
         QStringLiteral("straße->street\r\n")},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(dir.filePath("GettyDict.txt"));
        QFile::remove(dir.filePath("GettyBlackList.txt"));
        if (!c.dictionary.isEmpty()) writeFile("GettyDict.txt", c.dictionary);
        if (!c.blacklist.isEmpty()) writeFile("GettyBlackList.txt", c.blacklist);
        PromptSettings s;
        s.excludeText = c.exclude;
        const QString prompt = prompts::BuildGettyPrompt(withLists(s));
        EXPECT_TRUE(prompt.contains(QStringLiteral("\r\nBANNED_STRINGS: ") + c.bannedLine +
                                    QStringLiteral("\r\n")))
            << prompt.section(QStringLiteral("\r\n"), 5, 5).toStdString();
        EXPECT_TRUE(prompt.contains(QStringLiteral("(Source->Target):\r\n") + c.transformations +
                                    QStringLiteral("\r\n</dictionary_laws>\r\n")));
    }
}

TEST_F(Prompts, AnEmptyFileReadsAsNoListAndAnUnreadableOneIsAnError) {
    writeFile("GettyDict.txt", "");
    writeFile("GettyBlackList.txt", "");
    EXPECT_EQ(prompts::ReadGettyDictionaryText(), QString());
    EXPECT_EQ(prompts::ReadGettyBlacklistCommaText(), QString());

    ASSERT_TRUE(QFile::remove(dir.filePath("GettyDict.txt")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("GettyDict.txt"));
    EXPECT_THROW(prompts::ReadGettyDictionaryText(), errors::Error);

    // A pipe is refused at once, not waited on.
    const QString pipe = dir.filePath("GettyBlackList.txt");
    ASSERT_TRUE(QFile::remove(pipe));
    ASSERT_TRUE(makeFifo(pipe));
    EXPECT_TRUE(finishesWithoutWaitingOn(
        {pipe}, [] { EXPECT_THROW(prompts::ReadGettyBlacklistCommaText(), errors::Error); }));
}

}  // namespace
