#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

// One keyword record: one row of "tblTags", one batch.
struct Record {
    qint64 id = -1;         // assigned by the engine when the row is inserted; -1 for none
    QString group;          // free text: a group exists while some record carries its name
    QString title;          // the batch title
    QString keys;           // the batch searching tags
    QDate date;             // the day the record was inserted; only the insert writes it
    QByteArray summaryRtf;  // the batch summary as one RTF document
};
