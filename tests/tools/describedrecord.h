#pragma once

// Device description records read back field by field, independently of the
// wrench's own encoder, and what a list of them covers.
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QtEndian>

namespace wrench {

struct Described {
    quint32 flags = 0;
    quint32 pid = 0;
    quint32 attr = 0;
    quint32 access = 0;
    quint32 info = 0;
    quint32 min = 0;
    quint32 max = 0;
    QByteArray value;
    QByteArray reserved;
    QByteArray name;
    QByteArray unit;
    QByteArray module;
    QByteArray description;

    quint8 type() const { return static_cast<quint8>(attr >> 20); }
    int rows() const { return static_cast<int>(attr & 0x3FF) + 1; }
    int columns() const { return static_cast<int>((attr >> 10) & 0x3FF) + 1; }
};

inline int sizeOfType(quint8 type)
{
    switch (type) {
    case 0x00: case 0x01: case 0x02:
        return 1;
    case 0x10: case 0x11:
        return 2;
    case 0x30: case 0x31: case 0x34:
        return 4;
    default:
        return 0;
    }
}

// False when the record ends before its fields do, or goes on after them.
inline bool parseRecord(const QByteArray& record, Described& d)
{
    int at = 0;
    auto number = [&](quint32& out) {
        if (at + 4 > record.size())
            return false;
        out = qFromLittleEndian<quint32>(record.constData() + at);
        at += 4;
        return true;
    };
    auto block = [&](QByteArray& out) {
        quint32 length = 0;
        if (!number(length) || at + static_cast<qint64>(length) > record.size())
            return false;
        out = record.mid(at, length);
        at += static_cast<int>(length);
        return true;
    };
    auto text = [&](QByteArray& out) {
        const qsizetype end = record.indexOf('\0', at);
        if (end < 0)
            return false;
        out = record.mid(at, end - at);
        at = static_cast<int>(end) + 1;
        return true;
    };
    if (!number(d.flags))
        return false;
    const bool ok = (!(d.flags & 0x001) || number(d.pid)) && (!(d.flags & 0x002) || number(d.attr))
        && (!(d.flags & 0x004) || number(d.access)) && (!(d.flags & 0x008) || number(d.info))
        && (!(d.flags & 0x010) || (number(d.min) && number(d.max)))
        && (!(d.flags & 0x020) || block(d.value)) && (!(d.flags & 0x040) || block(d.reserved))
        && (!(d.flags & 0x080) || text(d.name)) && (!(d.flags & 0x100) || text(d.unit))
        && (!(d.flags & 0x200) || text(d.module)) && (!(d.flags & 0x400) || text(d.description));
    return ok && at == record.size();
}

// The value types, table shapes and display rules a list of records shows.
// check() is empty for a record that keeps to the layout, else the reason.
struct Coverage {
    QSet<quint32> ids;
    QSet<quint8> types;
    bool textTable = false;   // char, several rows
    bool textLine = false;    // char, one row of several columns
    bool numberTable = false; // rows and columns both above 1
    bool rowTable = false;    // one row, several columns
    bool columnTable = false; // several rows, one column
    bool emptyValue = false;
    bool skippedBlock = false;
    bool hexDisplay = false;
    bool decimals = false;
    bool negativeLimit = false;
    bool withoutLimits = false;
    bool withoutUnit = false;
    bool withoutDescription = false;

    QByteArray check(const QByteArray& record, Described& d)
    {
        if (!parseRecord(record, d))
            return "record does not keep to the layout: " + record.toHex();
        if ((d.flags & 0x2AF) != 0x2AF)
            return "ID, ATTR, ACCESS, INFO, value, name or module missing";
        if (ids.contains(d.pid))
            return "ID " + QByteArray::number(d.pid) + " twice";
        if (sizeOfType(d.type()) == 0 || d.name.isEmpty() || d.module.isEmpty())
            return "unknown type, or no name or module";
        const int valueSize = d.rows() * d.columns() * sizeOfType(d.type());
        if (!d.value.isEmpty() && d.value.size() != valueSize)
            return "value of " + QByteArray::number(d.value.size()) + " bytes for a shape of "
                + QByteArray::number(valueSize);
        const bool signedLimits = d.type() == 0x34 || (d.type() & 0x0F) == 0x01;
        if ((d.flags & 0x010)
            && (signedLimits ? static_cast<qint32>(d.min) >= static_cast<qint32>(d.max) : d.min >= d.max))
            return "MIN not below MAX";
        ids.insert(d.pid);
        types.insert(d.type());
        const bool oneRow = d.rows() == 1, oneColumn = d.columns() == 1;
        textTable |= d.type() == 0x02 && !oneRow;
        textLine |= d.type() == 0x02 && oneRow && !oneColumn;
        numberTable |= d.type() != 0x02 && !oneRow && !oneColumn;
        rowTable |= d.type() != 0x02 && oneRow && !oneColumn;
        columnTable |= !oneRow && oneColumn;
        emptyValue |= d.value.isEmpty();
        skippedBlock |= !d.reserved.isEmpty();
        hexDisplay |= (d.info & 0x38) == 0x08;
        decimals |= (d.info & 7) != 0;
        negativeLimit |= (d.flags & 0x010) && signedLimits && d.type() != 0x34 && static_cast<qint32>(d.min) < 0;
        withoutLimits |= !(d.flags & 0x010);
        withoutUnit |= !(d.flags & 0x100);
        withoutDescription |= !(d.flags & 0x400);
        return QByteArray();
    }

    bool everyTypeAndShape() const
    {
        return types == QSet<quint8>{0x00, 0x01, 0x02, 0x10, 0x11, 0x30, 0x31, 0x34} && textTable && textLine
            && numberTable && rowTable && columnTable && emptyValue && skippedBlock && hexDisplay && decimals
            && negativeLimit && withoutLimits && withoutUnit && withoutDescription;
    }
};

} // namespace wrench
