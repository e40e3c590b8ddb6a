#pragma once

#include <QString>

// What a table parameter shows in its own value and marker columns, gathered
// cell by cell as the table is built: a text table (type 0x02) shows row 1 up
// to its first empty cell, ">>" when there is a second row; any other table
// shows cell (1,1) and ">>".
class TableSummary
{
public:
    // row and column are 1-based.
    void addCell(int row, int column, const QString& text);
    void endRow(int row);

    QString value(quint8 type) const;
    QString marker(quint8 type) const;

private:
    QString m_firstCell;
    QString m_firstRow;
    bool m_endOfText = false;
    QString m_numberMarker;
    QString m_textMarker;
};
