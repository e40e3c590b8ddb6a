#pragma once

#include "params/paramrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>

// The wrench's parameter descriptions as downloaded on connecting, by ID, and
// the values they decode and encode with the parameter model's codec.
class ParamDescriptions
{
public:
    // Keeps every record the window's model would add (a whole record with a
    // value); a later record of the same ID replaces the earlier one.
    void add(const QList<QByteArray>& records);
    const ParamRecord* find(int id) const;
    int count() const { return static_cast<int>(m_records.size()); }

    // A value as shown: a scalar's text; a character table as text, one line
    // per row, up to each row's first 0; other tables one line per row, cells
    // separated by ";". False for a value shorter than its description.
    static bool format(const ParamRecord& description, const QByteArray& value, QString& text);
    // The inverse: a character table of one row takes a text (shorter ones
    // are padded with 0); other tables take every cell, row by row, separated
    // by ";". False, with the reason in error, for a text that does not fit.
    static bool encode(const ParamRecord& description, const QString& text, QByteArray& value, QString& error);

private:
    std::map<int, ParamRecord> m_records;
};
