#include "cli/paramdescriptions.h"

#include "params/paramattr.h"
#include "params/valuecodec.h"

#include <QStringList>

using namespace paramattr;

namespace {

qsizetype cellCount(quint32 attr)
{
    return static_cast<qsizetype>(rows(attr) * columns(attr));
}

bool isText(const ParamRecord& description)
{
    return valueType(description.attr) == TypeChar && rows(description.attr) == 1 && !isScalar(description.attr);
}

QString rowText(const QStringList& cells, bool characters)
{
    if (!characters)
        return cells.join(QLatin1Char(';'));
    QString text;
    for (const QString& cell : cells) {
        if (cell.isEmpty())
            break;
        text += cell;
    }
    return text;
}

} // namespace

void ParamDescriptions::add(const QList<QByteArray>& records)
{
    for (const QByteArray& bytes : records) {
        ParamRecord record;
        if (parseParamRecord(bytes.constData(), bytes.size(), record) && record.hasValue())
            m_records[static_cast<int>(record.pid)] = record;
    }
}

const ParamRecord* ParamDescriptions::find(int id) const
{
    const auto found = m_records.find(id);
    return found == m_records.end() ? nullptr : &found->second;
}

bool ParamDescriptions::format(const ParamRecord& description, const QByteArray& value, QString& text)
{
    const int size = elementSize(valueType(description.attr));
    if (size == 0 || value.size() < cellCount(description.attr) * size)
        return false;
    ParamRecord withValue = description;
    withValue.value = value;
    const QStringList cells = recordCellTexts(withValue);
    const qsizetype columnCount = static_cast<qsizetype>(columns(description.attr));
    const bool characters = valueType(description.attr) == TypeChar;
    QStringList lines;
    for (qsizetype row = 0; row * columnCount < cells.size(); ++row)
        lines.append(rowText(cells.mid(row * columnCount, columnCount), characters));
    text = lines.join(QLatin1Char('\n'));
    return true;
}

bool ParamDescriptions::encode(const ParamRecord& description, const QString& text, QByteArray& value,
                               QString& error)
{
    const qsizetype cells = cellCount(description.attr);
    const int size = elementSize(valueType(description.attr));
    if (size == 0) {
        error = QStringLiteral("parameter %1 has no known value type").arg(description.pid);
        return false;
    }
    QStringList items;
    if (isText(description)) {
        if (text.size() > cells) {
            error = QStringLiteral("parameter %1 holds at most %2 characters").arg(description.pid).arg(cells);
            return false;
        }
        for (const QChar character : text)
            items.append(QString(character));
        while (items.size() < cells)
            items.append(QString());
    } else {
        items = cells == 1 ? QStringList{text} : text.split(QLatin1Char(';'));
        if (items.size() != cells) {
            error = QStringLiteral("parameter %1 takes %2 values separated by \";\"").arg(description.pid).arg(cells);
            return false;
        }
    }
    ByteWriter out(cells * size);
    for (const QString& item : std::as_const(items)) {
        quint32 raw = 0;
        if (!parseValue(item, description.attr, description.info, raw) || storeRaw(raw, out, description.attr) == 0) {
            error = QStringLiteral("\"%1\" is no valid value for parameter %2").arg(item).arg(description.pid);
            return false;
        }
    }
    value = out.bytes();
    return true;
}
