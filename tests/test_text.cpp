#include <gtest/gtest.h>

#include <limits>

#include "platform/errors/errors.h"
#include "platform/shell/shell.h"
#include "platform/text/text.h"

namespace {

TEST(TextRules, TrimRemovesControlCharactersAndBlanksOnly) {
    EXPECT_EQ(text::trim(QString::fromUtf8(" \t\r\n a b \x01\x1f")), "a b");
    EXPECT_EQ(text::trim(QString::fromUtf8("\u00a0x\u00a0")), QString::fromUtf8("\u00a0x\u00a0"));
    EXPECT_EQ(text::trim("   "), "");
}

TEST(TextRules, StrToIntAcceptsDecimalAndHexOnly) {
    EXPECT_EQ(text::strToInt(" 42 "), 42);
    EXPECT_EQ(text::strToInt("-7"), -7);
    EXPECT_EQ(text::strToInt("$1F"), 31);
    EXPECT_EQ(text::strToInt("0x10"), 16);
    for (const char* bad : {"", " ", "abc", "12a", "1.5", "99999999999"})
        EXPECT_THROW(text::strToInt(bad), errors::ConvertError) << bad;
    try {
        text::strToInt("abc");
    } catch (const errors::ConvertError& e) {
        EXPECT_EQ(e.message(), "'abc' is not a valid integer value");
    }
}

TEST(TextRules, StrToInt64TakesTheSameFormsWithSixtyFourBits) {
    const struct {
        const char* text;
        qint64 value;
    } cases[] = {{" 4294967297 ", 4294967297LL},
                 {"-1", -1},
                 {"$100000000", 4294967296LL},
                 {"0x7FFFFFFFFFFFFFFF", std::numeric_limits<qint64>::max()},
                 {"-9223372036854775808", std::numeric_limits<qint64>::min()}};
    for (const auto& c : cases) EXPECT_EQ(text::strToInt64(c.text), c.value) << c.text;
    for (const char* bad : {"", "x1", "1e3", "9223372036854775808", "$"})
        EXPECT_THROW(text::strToInt64(bad), errors::ConvertError) << bad;
    // The 32-bit conversion refuses what only 64 bits hold.
    EXPECT_THROW(text::strToInt("4294967297"), errors::ConvertError);
    EXPECT_EQ(text::strToInt("-2147483648"), std::numeric_limits<int>::min());
}

TEST(TextRules, DecodeFileByByteOrderMarkThenUtf8ThenWindows1252) {
    struct Case {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"plain", "plain"},
        {"\xEF\xBB\xBF"
         "Stra\xC3\x9F"
         "e",
         QString::fromUtf8("Straße")},
        {"Stra\xC3\x9F"
         "e",
         QString::fromUtf8("Straße")},
        {QByteArray("\xFF\xFE"
                    "a\0b\0",
                    6),
         "ab"},
        {QByteArray("\xFE\xFF\0a\0b", 6), "ab"},
        {"Stra\xDF"
         "e \x80",
         QString::fromUtf8("Straße €")},
        {"\x81\x8D", QString(QChar(0x81)) + QChar(0x8D)},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text::decodeFile(c.bytes), c.text) << c.bytes.toHex().constData();
}

TEST(TextRules, Windows1252HoldsWhatItCanAndReplacesTheRest) {
    EXPECT_EQ(text::toWindows1252(QString::fromUtf8("café €")), QByteArray("caf\xE9 \x80"));
    EXPECT_EQ(text::toWindows1252(QString::fromUtf8("Ω😀x")), QByteArray("??x"));
    EXPECT_EQ(text::fromWindows1252("caf\xE9 \x80"), QString::fromUtf8("café €"));
}

TEST(ShellOpen, AddressesWithASchemeOpenAsTheyStandEverythingElseAsAFile) {
    struct Case {
        const char* text;
        const char* url;  // null: a local file
    } cases[] = {
        {"https://aistudio.google.com/app/apikey", "https://aistudio.google.com/app/apikey"},
        {"mailto:support@pixolet.app", "mailto:support@pixolet.app"},
        {"/opt/Pixolet/Help/Settings/index.html", nullptr},
        {"C:/Photos/a.html", nullptr},
        {"Help/index.html", nullptr},
    };
    for (const Case& c : cases) {
        const QUrl expected =
            c.url ? QUrl(QString::fromUtf8(c.url)) : QUrl::fromLocalFile(QString::fromUtf8(c.text));
        EXPECT_EQ(shell::toUrl(c.text), expected) << c.text;
    }
}

}  // namespace
