#include "tagging/csv_files.h"

#include <QDir>

#include "platform/files/atomic_file.h"
#include "platform/text/text.h"

namespace csvfiles {
namespace {

const QString kLineBreak = QStringLiteral("\r\n");

// The path up to and with its last separator, and the name after it.
qsizetype nameStart(const QString& path) {
    return path.lastIndexOf(QLatin1Char('/')) + 1;
}

QString shutterCategories(const BatchRow& row) {
    if (!row.shutterPrimary.isEmpty() && !row.shutterSecondary.isEmpty())
        return row.shutterPrimary + u',' + row.shutterSecondary;
    return row.shutterPrimary.isEmpty() ? row.shutterSecondary : row.shutterPrimary;
}

}  // namespace

QString CsvQuote(const QString& value) {
    return u'"' + QString(value).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString csvFolder(const QString& imagePath) {
    return imagePath.left(nameStart(imagePath)) + QStringLiteral("CSV");
}

QString adobeNumber(const QString& category, const QStringList& adobeItems) {
    for (qsizetype i = 0; i < adobeItems.size(); ++i)
        if (QString::compare(adobeItems[i], category, Qt::CaseInsensitive) == 0)
            return QString::number(i + 1);
    return {};
}

CsvFiles buildCsvFiles(const QList<BatchRow>& rows, const QStringList& adobeItems,
                       const QDate& date) {
    QString adobe = QStringLiteral("Filename,Title,Keywords,Category,Releases") + kLineBreak;
    QString shutter = QStringLiteral(
                          "Filename,Description,Keywords,Categories,Illustration,Mature "
                          "Content,Editorial") +
                      kLineBreak;
    QString getty =
        QStringLiteral("file name,created date,description,country,brief code,title,keywords") +
        kLineBreak;
    const QString day = CsvQuote(date.toString(QStringLiteral("yyyy-MM-dd")));
    for (const BatchRow& row : rows) {
        const QString name = CsvQuote(row.fileName.mid(nameStart(row.fileName)));
        const QString description = CsvQuote(row.description);
        const QString keywords = CsvQuote(row.keywords);
        adobe += name + u',' + description + u',' + keywords + u',' +
                 adobeNumber(row.adobeCategory, adobeItems) + u',' + kLineBreak;
        shutter += name + u',' + description + u',' + keywords + u',' +
                   CsvQuote(shutterCategories(row)) + QStringLiteral(",No,No,No") + kLineBreak;
        getty += name + u',' + day + u',' + description + u',' + CsvQuote({}) + u',' +
                 CsvQuote({}) + u',' + CsvQuote(row.title) + u',' + keywords + kLineBreak;
    }
    const QByteArray bom("\xEF\xBB\xBF");
    return {bom + adobe.toUtf8(), bom + shutter.toUtf8(), text::toWindows1252(getty, '?')};
}

bool writeCsvFiles(const QList<BatchRow>& rows, const QStringList& adobeItems, const QDate& date) {
    if (rows.isEmpty()) return false;
    const QString folder = csvFolder(rows.front().fileName);
    // A folder that cannot be made shows as the first file that cannot be written.
    QDir().mkpath(folder);
    const CsvFiles files = buildCsvFiles(rows, adobeItems, date);
    const QString prefix = folder + u'/';
    files::writeAtomically(prefix + QStringLiteral("AdobeCSV.csv"), files.adobe);
    files::writeAtomically(prefix + QStringLiteral("ShutterCSV.csv"), files.shutter);
    files::writeAtomically(prefix + QStringLiteral("GettyCSV.csv"), files.getty);
    return true;
}

}  // namespace csvfiles
