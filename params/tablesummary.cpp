#include "params/tablesummary.h"

#include "params/paramattr.h"

namespace {
const QString moreMarker = QStringLiteral(">>");
}

void TableSummary::addCell(int row, int column, const QString& text)
{
    if (row != 1)
        return;
    if (text.isEmpty())
        m_endOfText = true;
    else if (!m_endOfText)
        m_firstRow += text;
    if (column == 1) {
        m_firstCell = text;
        m_numberMarker = moreMarker;
    }
}

void TableSummary::endRow(int row)
{
    if (row == 2)
        m_textMarker = moreMarker;
}

QString TableSummary::value(quint8 type) const
{
    return type == paramattr::TypeChar ? m_firstRow : m_firstCell;
}

QString TableSummary::marker(quint8 type) const
{
    return type == paramattr::TypeChar ? m_textMarker : m_numberMarker;
}
