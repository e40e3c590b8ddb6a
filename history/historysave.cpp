#include "history/historysave.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringEncoder>

namespace historysave {

namespace {

const QString TextSuffix = QStringLiteral(".txt");
const QString CsvSuffix = QStringLiteral(".csv");

// ".csv" of "CSV Files (*.csv)"; empty when the filter names none.
QString filterSuffix(const QString& filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*(\\.[^ )]+)"));
    return pattern.match(filter).captured(1);
}

} // namespace

QString proposedFileName(const QString& folder, const QString& protocolWord, const QString& serialNumber,
                         const QDateTime& now)
{
    QString name = folder;
    // A folder written by hand may lack its separator; the name must not
    // run into the folder's.
    if (!name.isEmpty() && !name.endsWith(QLatin1Char('/')) && !name.endsWith(QDir::separator()))
        name += QDir::separator();
    QString serial = serialNumber;
    serial.remove(QLatin1Char('/')).remove(QLatin1Char('\\'));
    return name + protocolWord + QLatin1Char('_') + serial
        + now.toString(QStringLiteral("_dd_MM_yyyy_hh'u'mm'm'"));
}

QString withFilterSuffix(const QString& fileName, const QString& selectedFilter)
{
    // Only a suffix the tool writes counts: a serial number in the proposed
    // name may hold a dot.
    const QString suffix = filterSuffix(selectedFilter);
    for (const QString& known : {TextSuffix, CsvSuffix, suffix}) {
        if (!known.isEmpty() && fileName.endsWith(known, Qt::CaseInsensitive))
            return fileName;
    }
    return fileName + suffix;
}

const QString& reportFor(const QString& fileName, const HistoryReports& reports)
{
    return fileName.endsWith(CsvSuffix) ? reports.csv : reports.text;
}

QString folderOf(const QString& fileName)
{
    return QDir::toNativeSeparators(QFileInfo(fileName).absolutePath() + QLatin1Char('/'));
}

bool writeFile(const QString& fileName, const QByteArray& bytes, QIODevice::OpenMode extraMode, QString& error)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly | extraMode) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    error = file.errorString();
    return false;
}

bool writeReport(const QString& fileName, const QString& text, QString& error)
{
    QStringEncoder encoder(QStringConverter::System);
    return writeFile(fileName, encoder.encode(text), QIODevice::Text, error);
}

} // namespace historysave
