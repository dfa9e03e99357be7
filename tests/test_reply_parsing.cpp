// Reading the model's answer: the object cut out of the text, the tolerant member lookup,
// the keyword list, and the category boxes' choice.
#include <gtest/gtest.h>

#include <QLocale>

#include "tagging/categories.h"
#include "tagging/reply_parsing.h"
#include "tests/support/qt_print.h"

using namespace reply;

namespace {

Json object(const char* text) {
    const std::optional<Json> obj = ParseJsonObject(QString::fromUtf8(text));
    EXPECT_TRUE(obj.has_value()) << text;
    return obj.value_or(Json::object());
}

}  // namespace

TEST(ExtractJsonObjectText, CutsFromFirstOpeningToLastClosingBrace) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"```json\n{\"title\": \"A\"}\n```\n", "{\"title\": \"A\"}"},
        {"Here it is: {\"a\": {\"b\": 1}} Hope it helps.", "{\"a\": {\"b\": 1}}"},
        // No balancing: two objects give one cut that spans both.
        {"{\"a\":1} and {\"b\":2}", "{\"a\":1} and {\"b\":2}"},
        {"no object at all", ""},
        {"only an opening {", ""},
        {"} closing before opening {", ""},
        {"{}", "{}"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtractJsonObjectText(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected))
            << c.text;
}

TEST(ParseJsonObject, OnlyObjectsThatParse) {
    EXPECT_FALSE(ParseJsonObject("[1, 2]"));
    EXPECT_FALSE(ParseJsonObject("\"text\""));
    EXPECT_FALSE(ParseJsonObject("{\"title\": \"A\",}"));
    EXPECT_FALSE(ParseJsonObject(""));
    EXPECT_FALSE(ParseJsonObject("{\"a\":1} and {\"b\":2}"));
    ASSERT_TRUE(ParseJsonObject("{\"title\": \"Été\"}"));
    EXPECT_EQ(JsonValueText((*ParseJsonObject("{\"title\": \"\\u00c9t\\u00e9\"}"))["title"]),
              QStringLiteral("Été"));
}

TEST(ParseJsonObject, FirstOfARepeatedNameCountsInOrder) {
    const Json obj = object(R"({"title":"first","b":{"x":1,"x":2},"title":"second","a":1})");
    EXPECT_EQ(FindJsonField(obj, "title", "Title"), "first");
    // The members stay in the reply's order, which the lookup passes rely on.
    std::vector<std::string> names;
    for (auto it = obj.begin(); it != obj.end(); ++it) names.push_back(it.key());
    EXPECT_EQ(names, (std::vector<std::string>{"title", "b", "a"}));
}

TEST(JsonValueText, StringsNumbersLiteralsAndStructures) {
    const Json obj =
        object(R"({"s":"text","i":42,"f":1.5,"t":true,"n":null,"a":["x"],"o":{"k":"v"},"e":""})");
    EXPECT_EQ(JsonValueText(obj["s"]), "text");
    EXPECT_EQ(JsonValueText(obj["i"]), "42");
    EXPECT_EQ(JsonValueText(obj["f"]), "1.5");
    EXPECT_EQ(JsonValueText(obj["t"]), "true");
    EXPECT_EQ(JsonValueText(obj["n"]), "null");
    EXPECT_EQ(JsonValueText(obj["a"]), "");
    EXPECT_EQ(JsonValueText(obj["o"]), "");
    EXPECT_EQ(JsonValueText(obj["e"]), "");
}

TEST(FindJsonField, ThreePasses) {
    struct Case {
        const char* json;
        const char* key;
        const char* alias;
        const char* expected;
    };
    const Case cases[] = {
        // Exact pass: "_" removed, a to z upper-cased, the member's blanks removed.
        {R"({"Title":"A"})", "title", "Title", "A"},
        {R"({"TITLE":"A"})", "title", "Title", "A"},
        {R"({"ti_tle":"A"})", "title", "Title", "A"},
        {R"({"Title ":"A"})", "title", "Title", "A"},
        {R"({"Shutterstock Category 1":"Nature"})", "shutterstock_category_1", "Shutter1",
         "Nature"},
        {R"({"Shutter_1":"Nature"})", "shutterstock_category_1", "Shutter1", "Nature"},
        {R"({"Shutter 2":"Travel"})", "shutterstock_category_2", "Shutter2", "Travel"},
        {R"({"adobe_category":"Travel"})", "adobe_category", "Adobe_Category", "Travel"},
        // The first member that matches wins, whichever name it matches.
        {R"({"Description":"alias first","description":"key second"})", "description",
         "Description", "alias first"},
        // Only a to z are upper-cased: a dotless or accented letter never matches.
        {R"({"tıtle":"A"})", "title", "Title", ""},
        // Adobe pass: any name that contains "ADOBE", after the exact pass found nothing.
        {R"({"Adobe Stock Category":"Lifestyle"})", "adobe_category", "Adobe_Category",
         "Lifestyle"},
        {R"({"adobe stock":"X","adobe_category":"Y"})", "adobe_category", "Adobe_Category", "Y"},
        // Shutterstock pass: "SHUTTER" and the key's digit.
        {R"({"shutterstock-category-1":"Nature"})", "shutterstock_category_1", "Shutter1",
         "Nature"},
        {R"({"shutterstock-category-1":"Nature"})", "shutterstock_category_2", "Shutter2", ""},
        {R"({"shutterstock":"X","shutter-primary-1":"Y"})", "shutterstock_category_1", "Shutter1",
         "Y"},
        {R"({"Shutterstock Secondary 2nd":"Z"})", "shutterstock_category_2", "Shutter2", "Z"},
        // The extra passes belong to their keys only.
        {R"({"adobe":"X","shutter 1":"Y"})", "title", "Title", ""},
        // Only the outermost members are searched.
        {R"({"meta":{"title":"inner"}})", "title", "Title", ""},
        {R"({"title":{"text":"inner"}})", "title", "Title", ""},
        {R"({})", "title", "Title", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindJsonField(object(c.json), c.key, c.alias), QString::fromUtf8(c.expected))
            << c.json << " " << c.key;
    EXPECT_EQ(FindJsonField(Json::array({"title"}), "title", "Title"), "");
}

TEST(JoinedKeywords, FirstExactKeywordsArrayJoined) {
    struct Case {
        const char* json;
        const char* expected;
    };
    const Case cases[] = {
        {R"({"keywords":["sun","sea","sand"]})", "sun, sea, sand"},
        {R"({"keywords":["one"]})", "one"},
        {R"({"keywords":[]})", ""},
        {R"({"Keywords":["sun"]})", ""},
        {R"({"keywords":"sun, sea"})", ""},
        {R"({"keywords":"not an array","keywords":["later"]})", ""},
        // Elements are taken as they are, unchecked.
        {R"({"keywords":["a",1,null,{"x":1},"",true]})", "a, 1, null, , , true"},
        {R"({"keywords":[" spaced ","dup","dup"]})", " spaced , dup, dup"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinedKeywords(object(c.json)), QString::fromUtf8(c.expected)) << c.json;
}

// Whole answers as the model writes them.
TEST(ParseTaggingAnswer, AnswersOfTheModel) {
    const QString fenced = QStringLiteral(
        "```json\r\n"
        "{\r\n"
        "  \"title\": \"Red fox in snow\",\r\n"
        "  \"description\": \"A red fox {vulpes} walks through fresh snow.\",\r\n"
        "  \"keywords\": [\"fox\", \"snow\", \"winter\"],\r\n"
        "  \"adobe_category\": \"Animals\",\r\n"
        "  \"shutterstock_category_1\": \"Animals/Wildlife\",\r\n"
        "  \"shutterstock_category_2\": \"Nature\",\r\n"
        "  \"keyword_audit\": {\"removed\": [\"cute\"]}\r\n"
        "}\r\n"
        "```\r\n");
    const std::optional<TagFields> f = ParseTaggingAnswer(fenced);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->title, "Red fox in snow");
    EXPECT_EQ(f->description, "A red fox {vulpes} walks through fresh snow.");
    EXPECT_EQ(f->keywords, "fox, snow, winter");
    EXPECT_EQ(f->adobeCategory, "Animals");
    EXPECT_EQ(f->shutterCategory1, "Animals/Wildlife");
    EXPECT_EQ(f->shutterCategory2, "Nature");

    const std::optional<TagFields> named = ParseTaggingAnswer(
        R"({"Title":"T","Description":"D","Keywords":["k"],"shutterstock_category_1":"Nature",)"
        R"("Shutter 2":"Travel","Adobe Stock Category":"Lifestyle"})");
    ASSERT_TRUE(named);
    EXPECT_EQ(named->title, "T");
    EXPECT_EQ(named->description, "D");
    EXPECT_EQ(named->keywords, "");
    EXPECT_EQ(named->shutterCategory1, "Nature");
    EXPECT_EQ(named->shutterCategory2, "Travel");
    EXPECT_EQ(named->adobeCategory, "Lifestyle");

    // Missing members give empty texts.
    const std::optional<TagFields> sparse = ParseTaggingAnswer(R"({"title":"Only"})");
    ASSERT_TRUE(sparse);
    EXPECT_EQ(sparse->title, "Only");
    EXPECT_EQ(sparse->description, "");
    EXPECT_EQ(sparse->shutterCategory1, "");
}

TEST(ParseTaggingAnswer, AnswersWithoutAnObject) {
    for (const char* answer : {
             "I cannot describe this image.",
             R"(["fox", "snow"])",
             R"({"title": "unterminated)",
             "```json\n{\"title\": \"A\"}\n``` and a stray } here {",
             R"([{"title":"a"},{"title":"b"}])",
         })
        EXPECT_FALSE(ParseTaggingAnswer(QString::fromUtf8(answer))) << answer;
    // An array around a single object is cut to the object itself.
    const std::optional<TagFields> inArray = ParseTaggingAnswer(R"([{"title":"a"}])");
    ASSERT_TRUE(inArray);
    EXPECT_EQ(inArray->title, "a");
}

TEST(SelectComboItemByText, AgencyLists) {
    const QStringList adobe = categories::adobe();
    const QStringList shutter = categories::shutterstock();
    struct Case {
        const QStringList* items;
        const char* value;
        const char* selects;  // the item selected; nullptr: unlisted; "": no selection
    };
    const Case cases[] = {
        {&adobe, "Lifestyle", "Lifestyle"},
        // The first item that contains it, although "Transport" contains it too.
        {&adobe, "sport", "Sports"},
        {&adobe, "  Travel\t", "Travel"},
        {&adobe, "ANIMALS", "Animals"},
        {&adobe, "Nightlife", nullptr},
        {&shutter, "Food", "Food and Drink"},
        {&shutter, "Signs/Symbols", "Signs/Symbols"},
        {&shutter, "nature", "Nature"},
        {&adobe, "", ""},
        {&adobe, "   ", ""},
    };
    for (const Case& c : cases) {
        const ComboChoice choice = SelectComboItemByText(*c.items, QString::fromUtf8(c.value));
        if (!c.selects) {
            EXPECT_TRUE(choice.unlisted) << c.value;
            EXPECT_EQ(choice.index, -1) << c.value;
        } else if (!*c.selects) {
            EXPECT_FALSE(choice.unlisted) << c.value;
            EXPECT_EQ(choice.index, -1) << c.value;
        } else {
            EXPECT_FALSE(choice.unlisted) << c.value;
            ASSERT_GE(choice.index, 0) << c.value;
            EXPECT_EQ(c.items->at(choice.index), QString::fromUtf8(c.selects)) << c.value;
        }
    }
    // A list that holds the name finds it like any other item.
    QStringList grown = adobe;
    grown << QStringLiteral("Nightlife");
    EXPECT_EQ(SelectComboItemByText(grown, "nightlife").index, adobe.size());
}

TEST(SelectComboItemByText, LowerCasesByTheUsersLocale) {
    const QStringList items = {"Été", "Straße", "istanbul"};
    EXPECT_EQ(SelectComboItemByText(items, "ÉTÉ").index, 0);
    EXPECT_EQ(SelectComboItemByText(items, "STRAßE").index, 1);
    // Only a Turkish locale lower-cases the dotted capital I to a plain i.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const ComboChoice turkish = SelectComboItemByText(items, "İSTANBUL");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const ComboChoice english = SelectComboItemByText(items, "İSTANBUL");
    QLocale::setDefault(saved);
    EXPECT_EQ(turkish.index, 2);
    EXPECT_TRUE(english.unlisted);
}
