#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "tagging/batch_row.h"

// The bulk-upload files of the three picture agencies, written from the batch grid's rows:
// "AdobeCSV.csv" and "ShutterCSV.csv" in UTF-8 with byte-order mark, "GettyCSV.csv" in
// Windows-1252 ("?" for what it cannot hold), each a header line and one line per row,
// every line ending with CR LF.
namespace csvfiles {

// A double quote, the value with its double quotes doubled, a double quote; nothing else
// is escaped.
QString CsvQuote(const QString& value);

// The "CSV" folder beside the image: the folder part of the path (with its separator) and
// "CSV"; a path without a folder gives "CSV" in the current folder.
QString csvFolder(const QString& imagePath);

// The Adobe category's number: its position, from 1, in the Adobe box's current items,
// compared without regard to case; empty when it is not among them.
QString adobeNumber(const QString& category, const QStringList& adobeItems);

struct CsvFiles {
    QByteArray adobe;
    QByteArray shutter;
    QByteArray getty;
};

// The three files' bytes for these rows; date is the Getty "created date" of every row.
CsvFiles buildCsvFiles(const QList<BatchRow>& rows, const QStringList& adobeItems,
                       const QDate& date);

// Writes the three files into the "CSV" folder beside the first row's image (created with
// its parents when missing), in the order Adobe, Shutterstock, Getty, each replaced whole; a
// link in a file's place (the folder may come from elsewhere) is replaced, never followed.
// Without rows nothing is done and false is returned. A file that cannot be written throws
// errors::Error; the files written before it stay, it and those after it are not written.
bool writeCsvFiles(const QList<BatchRow>& rows, const QStringList& adobeItems,
                   const QDate& date = QDate::currentDate());

// What the window says, at its centre, when the three files are written.
inline constexpr char kCreatedMessage[] = "All CSVs created successfully!";

}  // namespace csvfiles
