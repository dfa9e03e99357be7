// The records layer's rules that need no window: keyword lists, finding a word, the tags
// search's statement.
#include <gtest/gtest.h>

#include "records/keyword_list.h"
#include "records/occurrences.h"
#include "records/tags_search.h"
#include "tests/support/qt_print.h"

namespace {

TEST(KeywordList, Count) {
    const struct {
        const char* text;
        int count;
    } cases[] = {
        {"a, b; c", 3},
        {"a,,b", 3},
        {"a,", 2},
        {",", 2},
        {"", 0},
        {" ", 1},
        {"a, b\nc", 2},
        {"\"a, b\", c", 2},
        {"x, \"a, b\"", 3},       // the quote follows a blank: no quoting
        {"\"a\"\"b, c\", d", 2},  // a doubled quote inside
        {"\"a, b", 1},            // no closing quote: to the end
        {"\"a\"b, c", 3},         // after the closing quote: one more keyword
        {"\"a\",", 2},
        {";\"a;b\"", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeywordList::count(QString::fromUtf8(c.text)), c.count) << c.text;
}

TEST(KeywordList, Append) {
    const struct {
        const char* list;
        const char* result;
    } cases[] = {{"", "sky"}, {"sea", "sea, sky"}, {"sea,", "sea, sky"}, {"sea, ", "sea, , sky"}};
    for (const auto& c : cases)
        EXPECT_EQ(KeywordList::append(QString::fromUtf8(c.list), QStringLiteral("sky")),
                  QString::fromUtf8(c.result))
            << c.list;
}

TEST(Occurrences, Positions) {
    const struct {
        const char* text;
        const char* word;
        QList<int> at;
    } cases[] = {
        {"aaaa", "aa", {0, 2}},
        {"cat, Cat, CAT, category", "cat", {0, 5, 10, 15}},
        {"Äpfel, äpfel", "äpfel", {7}},
        {"STRASSE, straße", "strasse", {0}},
        {"sea\u2029cat, cat", "cat", {4, 9}},
        {"sea", "", {}},
        {"ca", "cat", {}},
        {"", "cat", {}},
        {"50% off, 500", "50%", {0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(occurrences::find(QString::fromUtf8(c.text), QString::fromUtf8(c.word)), c.at)
            << c.text << " / " << c.word;
}

TEST(Occurrences, OccursAtStaysInsideTheText) {
    const QString text = QStringLiteral("Cat dog");
    EXPECT_TRUE(occurrences::occursAt(text, 0, u"cAT"));
    EXPECT_TRUE(occurrences::occursAt(text, 4, u"DOG"));
    EXPECT_FALSE(occurrences::occursAt(text, 5, u"dog"));
    EXPECT_FALSE(occurrences::occursAt(text, -1, u"cat"));
    EXPECT_FALSE(occurrences::occursAt(text, 1, u"cat"));
}

TEST(TagsSearch, OneNumberedConditionPerNonEmptyPiece) {
    using Params = std::vector<std::pair<QString, QString>>;
    const struct {
        QString input;
        QString sql;
        Params params;
    } cases[] = {
        {"sunset, beach",
         "SELECT * FROM tblTags WHERE Keys LIKE :word0 AND Keys LIKE :word2",
         {{"word0", "%sunset%"}, {"word2", "%beach%"}}},
        {",cat", "SELECT * FROM tblTags WHERE Keys LIKE :word1", {{"word1", "%cat%"}}},
        {" \tsea..sky\n",
         "SELECT * FROM tblTags WHERE Keys LIKE :word0 AND Keys LIKE :word2",
         {{"word0", "%sea%"}, {"word2", "%sky%"}}},
        // A tab inside the input is no separator, and "%" stays a wildcard.
        {"a\tb;50%",
         "SELECT * FROM tblTags WHERE Keys LIKE :word0 AND Keys LIKE :word1",
         {{"word0", "%a\tb%"}, {"word1", "%50%%"}}},
        {",;:. ", "SELECT * FROM tblTags", {}},
        {"", "SELECT * FROM tblTags", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        const TagsSearch search = tagsSearch(c.input);
        EXPECT_EQ(search.sql, c.sql);
        EXPECT_EQ(search.params, c.params);
    }
}

}  // namespace
