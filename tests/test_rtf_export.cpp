// The export's rewrite of the rich edit's RTF and the writing of the file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/errors/errors.h"
#include "platform/rtf/rtf.h"
#include "records/rtf_export.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qt_print.h"

namespace {

TEST(RtfExport, RewriteTable) {
    const struct {
        QByteArray in, out;
    } cases[] = {
        // Highlights get a 0 after the word; the number still names the same colour.
        {"\\highlight1 x", "\\highlight01 x\r\n"},
        {"\\highlight0\\highlight2", "\\highlight00\\highlight02\r\n"},
        {"\\highlight", "\\highlight0\r\n"},  // what is inserted is not scanned again
        // Text colours stay as written.
        {"\\cf0 a\\cf1 b\\cf12 c", "\\cf0 a\\cf1 b\\cf12 c\r\n"},
        // Paper widths starting with 255 get a paper height.
        {"\\paperw255 x", "\\paperw255\\paperh255 x\r\n"},
        {"\\paperw2550", "\\paperw255\\paperh2550\r\n"},
        {"\\paperw12240", "\\paperw12240\r\n"},
        // Case-sensitive.
        {"\\Highlight1\\PAPERW255", "\\Highlight1\\PAPERW255\r\n"},
        // An escaped backslash makes text, not a control word; a third one starts a word.
        {"\\\\highlight1 \\\\paperw255", "\\\\highlight1 \\\\paperw255\r\n"},
        {"\\\\\\highlight1", "\\\\\\highlight01\r\n"},
        // Every line ends in CR LF; a break at the very end adds no line.
        {"a\nb", "a\r\nb\r\n"},
        {"a\rb\r\n", "a\r\nb\r\n"},
        {"a\n\n", "a\r\n\r\n"},
        {"\\highlight1\n\\highlight2\r\n", "\\highlight01\r\n\\highlight02\r\n"},
        {"", ""},
        // Bytes outside ASCII pass unchanged.
        {"\xE9\xFF\x80", "\xE9\xFF\x80\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(rtfexport::rewrite(c.in), c.out) << c.in.constData();
}

// A document with a red word on yellow and a blue word, as the rich edit writes it.
TEST(RtfExport, RewrittenDocumentReadsWithTheSameColours) {
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    red.setBackground(QColor(255, 255, 0));
    QTextCharFormat blue;
    blue.setForeground(QColor(0, 0, 255));
    cursor.insertText("plain ");
    cursor.insertText("red", red);
    cursor.insertText(" and ", QTextCharFormat());
    cursor.insertText("blue", blue);
    cursor.insertBlock();
    cursor.insertText("second line");

    const QByteArray written = rtf::write(document);
    const QByteArray exported = rtfexport::rewrite(written);
    EXPECT_TRUE(exported.contains("\\highlight0"));
    EXPECT_FALSE(exported.contains("\\cf11"));
    QTextDocument back;
    rtf::read(exported, &back);
    EXPECT_EQ(back.toPlainText(), document.toPlainText());
    for (const auto& [position, foreground, background] :
         {std::tuple{0, QColor(), QColor()}, std::tuple{7, QColor(255, 0, 0), QColor(255, 255, 0)},
          std::tuple{15, QColor(0, 0, 255), QColor()}}) {
        QTextCursor at(&back);
        at.setPosition(position + 1);
        const QTextCharFormat format = at.charFormat();
        SCOPED_TRACE(position);
        if (foreground.isValid())
            EXPECT_EQ(format.foreground().color(), foreground);
        else
            EXPECT_EQ(format.foreground().style(), Qt::NoBrush);
        if (background.isValid())
            EXPECT_EQ(format.background().color(), background);
        else
            EXPECT_EQ(format.background().style(), Qt::NoBrush);
    }
}

TEST(RtfExport, WriteFileReplacesTheFileAndReportsWhatCannotBeWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("summary.rtf");
    rtfexport::writeFile(path, "{\\rtf1 first}");
    EXPECT_EQ(readAll(path), "{\\rtf1 first}\r\n");
    rtfexport::writeFile(path, "{\\rtf1 second\\highlight1}");
    EXPECT_EQ(readAll(path), "{\\rtf1 second\\highlight01}\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"summary.rtf"});

    // A folder that is a file.
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        rtfexport::writeFile(dir.filePath("blocker/x.rtf"), "{\\rtf1 x}");
        ADD_FAILURE() << "no error";
    } catch (const errors::Error& e) {
        EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(dir.filePath("blocker/x.rtf"))))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("Not a directory")) << e.message().toStdString();
    }
}

}  // namespace
