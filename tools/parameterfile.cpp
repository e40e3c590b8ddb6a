#include "tools/parameterfile.h"

#include <QRegularExpression>
#include <QSet>

#include <cmath>
#include <limits>

namespace wrench::parameterfile {

namespace {

using namespace valuetype;

enum Field { Id, Type, Shape, Access, Info, Limits, Value, Name, Unit, Module, Description, FieldCount };

constexpr int MaxSide = 1024;       // 10 bits each in the ATTR word
constexpr int MaxValueBytes = 65536;

struct TypeName {
    const char* name;
    quint8 type;
};
const TypeName TypeNames[] = {{"u8", U8},   {"s8", S8},   {"char", Char}, {"u16", U16},
                              {"s16", S16}, {"u32", U32}, {"s32", S32},   {"float", Float}};

bool typeByName(const QString& name, quint8& type)
{
    for (const TypeName& t : TypeNames) {
        if (name == QLatin1String(t.name)) {
            type = t.type;
            return true;
        }
    }
    return false;
}

bool number(const QString& text, qint64 low, qint64 high, qint64& value)
{
    bool ok = false;
    value = text.trimmed().toLongLong(&ok, 0);
    return ok && value >= low && value <= high;
}

// One element of the type from its text: its raw bits, sign-extended for
// signed types, floats as their IEEE single bits.
bool element(quint8 type, const QString& text, qint64& raw)
{
    if (type == Float) {
        bool ok = false;
        const float value = text.trimmed().toFloat(&ok);
        raw = valuebytes::floatBits(value);
        return ok && std::isfinite(value);
    }
    const int bits = 8 * elementSize(type);
    if (isSigned(type))
        return number(text, -(qint64{1} << (bits - 1)), (qint64{1} << (bits - 1)) - 1, raw);
    return number(text, 0, (qint64{1} << bits) - 1, raw);
}

bool latin1(const QString& text, QByteArray& out)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    out = text.toLatin1();
    return true;
}

// A line's fields into p; false with the reason.
bool readLine(const QStringList& f, Parameter& p, QString& why)
{
    auto fail = [&why](const QString& reason) {
        why = reason;
        return false;
    };
    if (f.size() != FieldCount)
        return fail(QStringLiteral("%1 fields instead of %2").arg(f.size()).arg(FieldCount));
    qint64 id = 0;
    if (!number(f[Id], 1, 0xFFFF, id))
        return fail(QStringLiteral("ID \"%1\" is not a number from 1 to 65535").arg(f[Id]));
    p.id = static_cast<quint32>(id);
    if (!typeByName(f[Type].trimmed(), p.type))
        return fail(QStringLiteral("unknown type \"%1\"").arg(f[Type]));
    static const QRegularExpression shapePattern(QStringLiteral("^\\s*(\\d{1,4})x(\\d{1,4})\\s*$"));
    const QRegularExpressionMatch shape = shapePattern.match(f[Shape]);
    p.rows = shape.hasMatch() ? shape.captured(1).toInt() : 0;
    p.columns = shape.hasMatch() ? shape.captured(2).toInt() : 0;
    if (p.rows < 1 || p.rows > MaxSide || p.columns < 1 || p.columns > MaxSide)
        return fail(QStringLiteral("shape \"%1\" is not <rows>x<columns>, each 1 to %2").arg(f[Shape]).arg(MaxSide));
    if (p.valueSize() > MaxValueBytes)
        return fail(QStringLiteral("the value takes more than %1 bytes").arg(MaxValueBytes));
    qint64 word = 0;
    if (!number(f[Access], 0, 0xFFFFFFFF, word))
        return fail(QStringLiteral("access \"%1\" is not a 32-bit number").arg(f[Access]));
    p.access = static_cast<quint32>(word);
    if (!number(f[Info], 0, 0xFFFFFFFF, word))
        return fail(QStringLiteral("info \"%1\" is not a 32-bit number").arg(f[Info]));
    p.info = static_cast<quint32>(word);

    if (!f[Limits].trimmed().isEmpty()) {
        const QStringList bounds = f[Limits].split(QStringLiteral(".."));
        qint64 min = 0, max = 0;
        if (p.type == Char || bounds.size() != 2 || !element(p.type, bounds[0], min) || !element(p.type, bounds[1], max))
            return fail(QStringLiteral("limits \"%1\" are not <min>..<max> of the type").arg(f[Limits]));
        p.hasLimits = true;
        p.min = static_cast<quint32>(min);
        p.max = static_cast<quint32>(max);
    }

    const QString value = f[Value].trimmed();
    p.describeValue = value != QLatin1String("-");
    if (value.isEmpty() || !p.describeValue) {
        p.value = QByteArray(p.valueSize(), '\0');
    } else if (p.type == Char) {
        QByteArray text;
        if (!latin1(f[Value], text))
            return fail(QStringLiteral("the value has characters outside Latin-1"));
        if (p.columns == 1) {
            if (text.size() > p.rows)
                return fail(QStringLiteral("the value has more than %1 characters").arg(p.rows));
            p.value = text + QByteArray(p.rows - static_cast<int>(text.size()), '\0');
        } else {
            const QList<QByteArray> rows = text.split('|');
            if (rows.size() > p.rows)
                return fail(QStringLiteral("the value has more than %1 rows").arg(p.rows));
            for (const QByteArray& row : rows) {
                if (row.size() >= p.columns)
                    return fail(QStringLiteral("a row of the value is longer than %1 characters").arg(p.columns - 1));
            }
            p.value = valuebytes::textRows(p.columns, rows);
            p.value.append(QByteArray(p.valueSize() - static_cast<int>(p.value.size()), '\0'));
        }
    } else {
        const QStringList texts = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (texts.size() != p.rows * p.columns)
            return fail(QStringLiteral("the value has %1 elements instead of %2").arg(texts.size()).arg(p.rows * p.columns));
        QList<qint64> elements;
        for (const QString& text : texts) {
            qint64 raw = 0;
            if (!element(p.type, text, raw))
                return fail(QStringLiteral("\"%1\" is no %2 element").arg(text, f[Type].trimmed()));
            elements.append(raw);
        }
        p.value = valuebytes::elements(p.type, elements);
    }

    if (!latin1(f[Name].trimmed(), p.name) || !latin1(f[Unit].trimmed(), p.unit)
        || !latin1(f[Module].trimmed(), p.module) || !latin1(f[Description].trimmed(), p.description))
        return fail(QStringLiteral("a text has characters outside Latin-1"));
    if (p.name.isEmpty() || p.module.isEmpty())
        return fail(QStringLiteral("the name and the module must not be empty"));
    return true;
}

} // namespace

QString formatHelp()
{
    return QStringLiteral(
        "Parameter file (--parameters-file), UTF-8, one parameter a line; empty lines\n"
        "and lines starting with \"#\" are skipped. Eleven fields separated by \";\":\n"
        "  id;type;shape;access;info;limits;value;name;unit;module;description\n"
        "  id           1..65535, not one of the fixed parameters (1 5 100 101 103 113\n"
        "               135: the list header, the access level, the identity)\n"
        "  type         u8 s8 char u16 s16 u32 s32 float\n"
        "  shape        <rows>x<columns>, 1x1 for a scalar, each side 1..1024\n"
        "  access info  the ACCESS and INFO words (0x.. for hex)\n"
        "  limits       <min>..<max> in the type (not for char), or empty for none\n"
        "  value        the elements row by row, separated by blanks (0x.. allowed,\n"
        "               floats as decimals); char with more than one column: the\n"
        "               rows' texts separated by \"|\", each shorter than a row;\n"
        "               char with one column: one character per row; empty: all\n"
        "               zero; \"-\": all zero and no value in the description\n"
        "  name unit module description  Latin-1 texts (name and module needed);\n"
        "               \"\\n\" in a description is sent as it stands\n"
        "Example: 300;u16;1x1;0x13;0x81;50..2000;1250;Nominal torque;Nm;Measurement;\n");
}

bool parse(const QByteArray& text, QList<Parameter>& parameters, QString& error)
{
    QList<Parameter> read;
    QSet<quint32> ids(ParameterTable::fixedIds().cbegin(), ParameterTable::fixedIds().cend());
    const int room = ParameterTable::MaxParameters - static_cast<int>(ids.size());
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString line = QString::fromUtf8(lines[index]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        Parameter p;
        QString why;
        if (readLine(line.split(QLatin1Char(';')), p, why)) {
            if (ids.contains(p.id))
                why = QStringLiteral("ID %1 is taken").arg(p.id);
            else if (read.size() == room)
                why = QStringLiteral("more than %1 parameters").arg(room);
        }
        if (!why.isEmpty()) {
            error = QStringLiteral("line %1: %2").arg(index + 1).arg(why);
            return false;
        }
        ids.insert(p.id);
        read.append(p);
    }
    parameters = read;
    return true;
}

} // namespace wrench::parameterfile
