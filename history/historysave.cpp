#include "history/historysave.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringEncoder>

namespace historysave {

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
    if (!QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    static const QRegularExpression pattern(QStringLiteral("\\(\\*(\\.[^ )]+)"));
    const QRegularExpressionMatch match = pattern.match(selectedFilter);
    return match.hasMatch() ? fileName + match.captured(1) : fileName;
}

const QString& reportFor(const QString& fileName, const HistoryReports& reports)
{
    return QFileInfo(fileName).suffix() == QLatin1String("csv") ? reports.csv : reports.text;
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
