#pragma once

#include "params/qorbpidman.h"

#include <QStringList>
#include <QTreeWidgetItem>

#include <initializer_list>

// Expected and shown texts of the parameter model's tree, for the tables.
namespace modeltexts {

inline QStringList texts(std::initializer_list<const char*> list)
{
    QStringList result;
    for (const char* text : list)
        result.append(QString::fromUtf8(text));
    return result;
}

// The value texts of a table parameter's cells, row by row.
inline QStringList cellTexts(const QTreeWidgetItem* param)
{
    QStringList texts;
    for (int r = 0; r < param->childCount(); ++r) {
        for (int c = 0; c < param->child(r)->childCount(); ++c)
            texts.append(param->child(r)->child(c)->text(QorbPIDMan::ColValue));
    }
    return texts;
}

} // namespace modeltexts
