// The rich edits' RTF: round trips, documents of other programs, the exact bytes, and
// damaged input.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <cmath>

#include "app/form1.h"
#include "platform/rtf/rtf.h"
#include "platform/widgets/dbrichedit.h"
#include "tests/support/program_fixture.h"

namespace {

// Documents are written in a small markup: "\n" ends a paragraph, "<props>" sets the
// character format of what follows ("<>" plain), "<=c>", "<=r>" and "<=j>" align the
// paragraph. Props list b, i, u, s, f=Font_Name, fs=half-points, fg=#rrggbb and
// bg=#rrggbb. describe() writes a document back in the same markup, with every
// property resolved against the document's default font and left out when it is the
// default, so that two documents that look the same describe the same.

void newDocument(QTextDocument& doc, const QString& family = "Segoe UI", double points = 0) {
    QFont font(family);
    if (points > 0)
        font.setPointSizeF(points);
    else
        font.setPixelSize(13);  // the rich edits' own font
    doc.setDefaultFont(font);
}

int halfPoints(const QTextCharFormat& f, const QTextDocument& doc) {
    double points = doc.defaultFont().pointSizeF() > 0 ? doc.defaultFont().pointSizeF()
                                                       : doc.defaultFont().pixelSize() * 0.75;
    if (f.hasProperty(QTextFormat::FontPointSize)) points = f.fontPointSize();
    return int(std::lround(points * 2));
}

QString props(const QTextCharFormat& f, const QTextDocument& doc) {
    QStringList parts;
    if (f.fontWeight() >= QFont::DemiBold) parts << "b";
    if (f.fontItalic()) parts << "i";
    if (f.fontUnderline()) parts << "u";
    if (f.fontStrikeOut()) parts << "s";
    const QStringList families = f.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty() && families.first() != doc.defaultFont().family())
        parts << "f=" + QString(families.first()).replace(' ', '_');
    QTextCharFormat none;
    if (halfPoints(f, doc) != halfPoints(none, doc))
        parts << "fs=" + QString::number(halfPoints(f, doc));
    if (f.foreground().style() != Qt::NoBrush) parts << "fg=" + f.foreground().color().name();
    if (f.background().style() != Qt::NoBrush) parts << "bg=" + f.background().color().name();
    return parts.join(' ');
}

QTextCharFormat format(const QString& props) {
    QTextCharFormat f;
    for (const QString& part : props.split(' ', Qt::SkipEmptyParts)) {
        if (part == "b") f.setFontWeight(QFont::Bold);
        if (part == "i") f.setFontItalic(true);
        if (part == "u") f.setFontUnderline(true);
        if (part == "s") f.setFontStrikeOut(true);
        if (part.startsWith("f=")) f.setFontFamilies({part.mid(2).replace('_', ' ')});
        if (part.startsWith("fs=")) f.setFontPointSize(part.mid(3).toInt() / 2.0);
        if (part.startsWith("fg=")) f.setForeground(QColor(part.mid(3)));
        if (part.startsWith("bg=")) f.setBackground(QColor(part.mid(3)));
    }
    return f;
}

void build(QTextDocument& doc, const QString& markup) {
    QTextCursor cursor(&doc);
    QTextCharFormat current;
    for (qsizetype i = 0; i < markup.size(); ++i) {
        const QChar c = markup[i];
        if (c == '<') {
            const qsizetype end = markup.indexOf('>', i);
            const QString tag = markup.mid(i + 1, end - i - 1);
            i = end;
            if (tag.startsWith('=')) {
                QTextBlockFormat block;
                block.setAlignment(tag == "=c"   ? Qt::AlignHCenter
                                   : tag == "=r" ? Qt::AlignRight
                                                 : Qt::AlignJustify);
                cursor.setBlockFormat(block);
                continue;
            }
            current = format(tag);
            if (cursor.block().length() == 1) cursor.setBlockCharFormat(current);
        } else if (c == '\n') {
            cursor.insertBlock(QTextBlockFormat(), current);
        } else {
            cursor.insertText(QString(c), current);
        }
    }
}

QString describe(const QTextDocument& doc) {
    QStringList blocks;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QString out;
        const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignHCenter) out += "<=c>";
        if (a & Qt::AlignRight) out += "<=r>";
        if (a & Qt::AlignJustify) out += "<=j>";
        QString current;
        if (block.length() == 1) {
            const QString s = props(block.charFormat(), doc);
            if (!s.isEmpty()) out += "<" + s + ">";
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QString s = props(it.fragment().charFormat(), doc);
            if (s != current) out += "<" + s + ">";
            current = s;
            out += it.fragment().text();
        }
        blocks << out;
    }
    return blocks.join('\n');
}

QString readBack(const QByteArray& rtf, const QString& family = "Segoe UI", double points = 0) {
    QTextDocument doc;
    newDocument(doc, family, points);
    rtf::read(rtf, &doc);
    return describe(doc);
}

QByteArray written(const QString& markup) {
    QTextDocument doc;
    newDocument(doc);
    build(doc, markup);
    return rtf::write(doc);
}

const QString kLine = QString(QChar::LineSeparator);

}  // namespace

TEST(RtfRoundTrip, KeepsTextAndFormatting) {
    const QString documents[] = {
        "first line\nsecond line\nthird",
        "<b>SUNSET OVER THE SEA\n<>\nA calm evening, warm light.\n\nsunset, sea, calm, evening",
        "plain <i>italic<> plain",
        "<fs=28>big <fs=16 fg=#ff0000>small red<> default <fg=#0000ff>blue",
        "<bg=#ffff00>marked<> and <bg=#ffffff>whitened<> text",
        "über € Ωμέγα ÿ Š 😀 \u00a0nbsp",
        "braces {a} and }{ back\\slash \\par not a word",
        "\n\nafter two empty paragraphs\n\n",
        "\n",
        "",
        "tab\there" + kLine + "line two of the same paragraph" + kLine,
        "<=c>centred\n<=r>right\n<=j>justified\nleft",
        "<u>under<> <s>struck<> <b i u s fg=#00ff00 bg=#000080>all of them",
        "<f=Courier_New>mono<> <f=Times_New_Roman fs=24>serif 12<> <f=Ünïcode_Sans>named "
        "<f=Шрифт_Ω>cyrillic",
        "<b>bold empty line follows\n<b i>\n<>regular",
        "1234 digits <b>5678<> 90",
    };
    for (const QString& markup : documents) {
        QTextDocument source;
        newDocument(source);
        build(source, markup);
        const QByteArray bytes = rtf::write(source);
        EXPECT_EQ(readBack(bytes), describe(source)) << bytes.constData();
        // The same document gives the same bytes, also after a round trip.
        QTextDocument again;
        newDocument(again);
        rtf::read(bytes, &again);
        EXPECT_EQ(rtf::write(again), bytes);
        for (const char byte : bytes)
            ASSERT_EQ(byte & 0x80, 0) << "not 7-bit: " << bytes.constData();
    }
}

TEST(RtfWriter, WritesTheExpectedBytes) {
    const QByteArray expected =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Segoe UI;}"
        "{\\f1\\fnil\\fcharset0 Arial;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs20\\b SUNSET\\par\r\n"
        "\\b0\\par\r\n"
        "\\qc\\'fcber \\'80 \\u937?\\{x\\}\\\\\\tab 50%\\line\\f1\\fs24\\cf1\\highlight2\\i  red "
        "\\f0\\fs20\\cf0\\highlight0\\i0  end\\par\r\n"
        "}\r\n";
    EXPECT_EQ(written("<b>SUNSET\n<>\n<=c>über € Ω{x}\\\t50%" + kLine +
                      "<i f=Arial fs=24 fg=#ff0000 bg=#ffff00> red <> end"),
              expected);
}

TEST(RtfWriter, PlainWordsStandUnsplit) {
    // The any-word search matches the stored bytes with LIKE.
    QString paragraph;
    for (int i = 0; i < 300; ++i) paragraph += QString("word%1 ").arg(i);
    const QByteArray bytes =
        written("<b>SUNSET<> over the <i>quiet<> sea, <fg=#ff0000>red<> sky\n" + paragraph);
    for (const char* word : {"SUNSET", " over the ", "quiet", " sea, ", "red", " sky"})
        EXPECT_TRUE(bytes.contains(word)) << word;
    EXPECT_TRUE(bytes.contains(paragraph.toLatin1())) << "a long paragraph is not wrapped";
}

TEST(RtfWriter, SurvivesTheExportRewrite) {
    // The RTF export turns \cf into \cf1 and \highlight into \highlight0 in the file;
    // the result must still read with its text.
    QTextDocument source;
    newDocument(source);
    build(source, "<fg=#ff0000>red<> plain <bg=#ffff00>marked<>\nnext");
    QByteArray bytes = rtf::write(source);
    bytes.replace("\\cf", "\\cf1").replace("\\highlight", "\\highlight0");
    QTextDocument doc;
    rtf::read(bytes, &doc);
    EXPECT_EQ(doc.toPlainText(), "red plain marked\nnext");
}

TEST(RtfReader, LeavesTheDocumentsOwnFontToTheDocument) {
    // The edits' font is 13 pixels, which RTF can only round to 10 points: text in the
    // document's own font must keep it rather than become 10 points.
    QTextDocument doc;
    newDocument(doc);
    rtf::read(written("plain <fs=28>big<> <f=Arial>arial"), &doc);
    QTextBlock::iterator it = doc.begin().begin();
    const QTextCharFormat plain = it.fragment().charFormat();
    EXPECT_FALSE(plain.hasProperty(QTextFormat::FontPointSize));
    EXPECT_FALSE(plain.hasProperty(QTextFormat::FontFamilies));
    EXPECT_EQ((++it).fragment().charFormat().fontPointSize(), 14);
    EXPECT_EQ((++it, ++it).fragment().charFormat().fontFamilies().toStringList(),
              QStringList{"Arial"});
}

TEST(RtfReader, ReadsOtherProgramsRtf) {
    struct Fixture {
        const char* name;
        QByteArray rtf;
        const char* family;
        double points;
        QString expected;
    };
    const Fixture fixtures[] = {
        {"rich edit control",
         "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{"
         "\\f0\\fnil\\fcharset0 "
         "Calibri;}{\\f1\\fswiss\\fprq2\\fcharset0 Arial;}}\r\n"
         "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green176\\blue80;}\r\n"
         "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
         "\\pard\\sa200\\sl276\\slmult1\\b\\f0\\fs22\\lang9 Bold title\\b0\\par\r\n"
         "Normal \\cf1 red\\cf0  and \\i italic\\i0\\par\r\n"
         "\\cf2\\f1\\fs28 green Arial\\cf0\\f0\\fs22\\par\r\n"
         "\\pard\\qc\\ul centred\\ulnone\\par\r\n}\r\n",
         "Calibri", 11,
         "<b>Bold title\nNormal <fg=#ff0000>red<> and <i>italic\n<f=Arial fs=28 fg=#00b050>green "
         "Arial\n<=c><u>centred"},
        {"word processor",
         "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff0\\deff0\\stshfdbch0\\deflang1033"
         "{\\fonttbl{\\f0\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times "
         "New Roman;}{\\f37\\fbidi \\fswiss\\fcharset0\\fprq2{\\*\\panose 020f0502020204030204}"
         "Calibri;}}\r\n"
         "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255\\blue0;}\r\n"
         "{\\stylesheet{\\ql \\li0\\ri0\\sa160 \\f37\\fs22\\lang1033 \\snext0 \\sqformat Normal;}"
         "{\\*\\cs10 \\additive \\ssemihidden Default Paragraph Font;}}\r\n"
         "{\\*\\rsidtbl \\rsid1651009}{\\mmathPr\\mmathFont34}\r\n"
         "{\\info{\\title Stock notes}{\\author Jane}{\\operator "
         "Jane}{\\creatim\\yr2024\\mo3\\dy1}}\r\n"
         "{\\*\\xmlnstbl {\\xmlns1 http://schemas.microsoft.com/office/word/2003/wordml}}\r\n"
         "\\paperw12240\\paperh15840\\margl1440\\margr1440\r\n"
         "\\pard\\plain \\ltrpar\\qc \\li0\\ri0\\sa160 \\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 "
         "\\f37\\fs22\\insrsid1651009 {\\rtlch\\fcs1 \\ab\\af0 \\ltrch\\fcs0 \\b\\insrsid1651009 "
         "Centred title}{\\rtlch \\ltrch\\insrsid1651009 \\par }\r\n"
         "\\pard\\plain \\ltrpar\\ql \\f37\\fs22 {\\ltrch\\fcs0 Price \\u8364\\'80 5, caf\\'e9, "
         "\\uc2\\u937\\'3f\\'3f done\\uc1 }{\\highlight3 marked}{ text }\r\n"
         "{\\*\\shppict{\\pict{\\*\\picprop\\shplid1025}\\picscalex100\\pngblip "
         "89504e470d0a1a0a0000000d49484452}}{\\nonshppict{\\pict\\wmetafile8 0100090000}}\r\n"
         "{\\field{\\*\\fldinst {HYPERLINK \"http://example.com\"}}{\\fldrslt {\\cf2\\ul link}}}"
         "\\par\r\n}",
         "Calibri", 11,
         "<=c><b>Centred title\nPrice € 5, café, Ω done<bg=#ffff00>marked<> text <u "
         "fg=#0000ff>link"},
        {"office suite",
         "{\\rtf1\\ansi\\deff4\\adeflang1025\r\n"
         "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New "
         "Roman;}{\\f4\\fswiss\\fprq2\\fcharset0 "
         "Liberation Sans;}}\r\n"
         "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;}\r\n"
         "{\\stylesheet{\\s0\\snext0\\dbch\\af5\\langfe2052\\loch\\f3\\fs24\\lang1033 Default "
         "Paragraph Style;}}\r\n"
         "{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}"
         "{\\info{\\creatim\\yr2024\\mo3\\dy1\\hr10\\min5}}\\deftab709\r\n"
         "\\viewscale100{\\*\\pgdsctbl{\\pgdsc0\\pgdscuse451\\pgwsxn11906\\pgdscnxt0 Default Page "
         "Style;}}\r\n"
         "\\formshade{\\*\\pgdscno0}\\paperh16838\\paperw11906\\margl1134\\pgndec\r\n"
         "\\pard\\plain "
         "\\s0\\widctlpar\\ltrpar\\cf0\\dbch\\af5\\loch\\f4\\fs24\\lang1033{\\b\\rtlch "
         "\\ltrch\\loch Heading}\r\n"
         "\\par \\pard\\plain \\s0\\ltrpar\\cf0\\loch\\f4\\fs24{\\rtlch \\ltrch\\loch Before "
         "}{\\cf2\\i\\rtlch \\ltrch\\loch red italic}{\\rtlch \\ltrch\\loch  after \\uc2 "
         "\\u8364\\'80\\'80 and \\uc1 \\u246\\'f6 !}\r\n"
         "\\par }",
         "Liberation Sans", 12, "<b>Heading\nBefore <i fg=#ff0000>red italic<> after € and ö !"},
        {"text editor of another system",
         "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\r\n"
         "\\cocoatextscaling0\\cocoaplatform0{\\fonttbl\\f0\\fswiss\\fcharset0 "
         "Helvetica;\\f1\\fswiss\\fcharset0 Helvetica-Bold;}\r\n"
         "{\\colortbl;\\red255\\green255\\blue255;\\red251\\green2\\blue7;}\r\n"
         "{\\*\\expandedcolortbl;;\\cssrgb\\c100000\\c14913\\c0;}\r\n"
         "\\paperw11900\\paperh16840\\margl1440\\margr1440\\vieww11520\\viewh8400\\viewkind0\r\n"
         "\\pard\\tx566\\tx1133\\pardirnatural\\partightenfactor0\r\n\r\n"
         "\\f0\\fs24 \\cf0 Line one\\\r\n"
         "\\f1\\b Bold\r\n"
         "\\f0\\b0  line two \\cf2 red\\cf0 \\\r\n"
         "\\uc0\\u8364  and \\'fcber}",
         "Helvetica", 12,
         "Line one\n<b f=Helvetica-Bold>Bold<> line two <fg=#fb0207>red\n€ and über"},
        {"typographic characters",
         "{\\rtf1\\ansi \\lquote a\\rquote  \\ldblquote b\\rdblquote  c\\emdash d\\endash "
         "e\\bullet\\tab f\\~g\\-h\\_i\\line j}",
         "Segoe UI", 0, "‘a’ “b” c—d–e•\tf\u00a0gh\u2011i\u2028j"},
        {"rich edit on a Cyrillic system",
         "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Segoe UI;}"
         "{\\f1\\fnil\\fcharset0 Segoe UI;}{\\f2\\fnil Segoe UI;}}\r\n"
         "\\viewkind4\\uc1\\pard\\f0\\fs20\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2 \\f1 caf\\'e9 "
         "\\f2\\'e4\\'e0"
         "\\par\r\n}",
         "Segoe UI", 10, "Привет café да"},
    };
    for (const Fixture& f : fixtures)
        EXPECT_EQ(readBack(f.rtf, f.family, f.points), f.expected) << f.name;
}

TEST(RtfReader, LoadsWhatItCanOfDamagedInput) {
    struct Case {
        const char* name;
        QByteArray rtf;
        QString text;
    };
    const Case cases[] = {
        {"truncated", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 truncated \\b bo", "truncated bo"},
        {"truncated escape", "{\\rtf1 end\\'4", "end"},
        {"truncated unicode", "{\\rtf1 end\\u", "end"},
        {"lone backslash", "{\\rtf1 end\\", "end"},
        {"too many closing braces", "{\\rtf1 a}}}} b", "a"},
        {"unclosed groups", "{\\rtf1 {{{ x }}", " x "},
        {"huge binary", "{\\rtf1 x\\bin4294967295 yyy}", "x"},
        {"binary that looks like braces", "{\\rtf1 x\\bin3 }}{ y}", "x y"},
        {"negative binary", "{\\rtf1 x\\bin-5 y}", "xy"},
        {"huge size and colours",
         "{\\rtf1{\\colortbl;\\red999\\green-5\\blue1;}\\fs99999999999999 a\\cf1 b\\cf99999 "
         "c\\highlight-1 d\\cf-7 e}",
         "abcde"},
        {"unicode without fallback", "{\\rtf1 \\u937\\u956?x}", "Ωμx"},
        {"symbols in a skipped group", "{\\rtf1{\\*\\unknown a\\~b\\_c\\'41}x}", "x"},
        {"unknown code page", "{\\rtf1\\ansi\\ansicpg987654 caf\\'e9}", "café"},
        {"huge fallback count", "{\\rtf1 \\uc99999999\\u65 ABC}D}", "A"},
        {"zero bytes", QByteArray("{\\rtf1 a\0b}", 11), "ab"},
        {"overlong control word", "{\\rtf1 \\" + QByteArray(100000, 'x') + " z}", "z"},
        {"long number", "{\\rtf1 \\fs" + QByteArray(100000, '9') + " z}", "z"},
        {"surrogate pair", "{\\rtf1 \\u-10179?\\u-8704? x}", "😀 x"},
        {"lone surrogate", "{\\rtf1 \\u-10179? x}", "\uFFFD x"},
    };
    for (const Case& c : cases) {
        QTextDocument doc;
        rtf::read(c.rtf, &doc);
        EXPECT_EQ(doc.toPlainText(), c.text) << c.name;
    }
}

TEST(RtfReader, SurvivesDeepNesting) {
    const int depth = 200000;
    const QByteArray rtf =
        "{\\rtf1 " + QByteArray(depth, '{') + "\\b deep" + QByteArray(depth, '}') + " end}";
    QTextDocument doc;
    rtf::read(rtf, &doc);
    EXPECT_EQ(doc.toPlainText(), "deep end");
}

TEST(RtfReader, WhatItLoadsIsWrittenAndReadAgainUnchanged) {
    // Findings of the fuzz target: writing what was read, then reading and writing
    // that again, must give the same bytes.
    const QByteArray cases[] = {
        "{\\rtf1{\\fonttbl{\\f1\\fcharset204 name \\u5?;}}\\f1 z}",  // control after a blank
        "{\\rtf1{\\fonttbl{\\f1 semi\\'3bcolon;}}\\f1 z}",           // escaped ';' in a name
    };
    for (const QByteArray& input : cases) {
        QTextDocument doc;
        rtf::read(input, &doc);
        const QByteArray written = rtf::write(doc);
        QTextDocument again;
        rtf::read(written, &again);
        EXPECT_EQ(rtf::write(again), written) << input.constData();
        EXPECT_EQ(describe(again), describe(doc)) << input.constData();
    }
}

TEST(RtfReader, LoadsTextThatIsNotRtf) {
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"two\nlines", "two\nlines"},
        {"\xc3\xbc"
         "ber",
         "über"},  // UTF-8
        {"\xfc"
         "ber \x80",
         "über €"},  // Windows-1252
        {"{\\rt not quite", "{\\rt not quite"},
    };
    for (const auto& c : cases) {
        QTextDocument doc;
        rtf::read(c.bytes, &doc);
        EXPECT_EQ(doc.toPlainText(), c.text);
    }
}

TEST_F(ProgramFixture, RecordViewShowsTheStoredSummaryWithItsFormatting) {
    QTextDocument summary;
    build(summary, "<b>SUNSET\n<>\ncalm sea");
    makeDatabase("DB/KeywordsDB.db", {{"Nature", "Sunset", "sun", rtf::write(summary)}});
    startProgram();
    auto* view = control<TcxDBRichEdit>("cxDBRichEdit1");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->toPlainText(), "SUNSET\n\ncalm sea");
    EXPECT_EQ(view->document()->begin().begin().fragment().charFormat().fontWeight(), QFont::Bold);

    // What the view holds goes into another rich edit with its formatting.
    TcxRichEdit other;
    other.loadRtf(view->saveRtf());
    EXPECT_EQ(describe(*other.document()), describe(*view->document()));
}
