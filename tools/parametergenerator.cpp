#include "tools/parametergenerator.h"

#include <iterator>

namespace wrench::parametergenerator {

namespace {

using namespace valuetype;
using namespace accessword;
using namespace infoword;

constexpr int ParametersPerModule = 20;

struct Shape {
    const char* label;
    quint8 type;
    int rows;
    int columns;
    quint32 info;
    quint32 access;
    const char* unit;
    qint64 low; // values lie in low..high: raw, hundredths for floats
    qint64 high;
    bool limits;            // low and high are described as MIN and MAX
    bool described = true;  // false: the description carries no value
    bool skippedBlock = false;
};

const Shape Shapes[] = {
    {"Count", U8, 1, 1, DataSet, 1 | SaveAppl, "", 0, 200, true},
    {"Offset", S8, 1, 1, 0, 3, "mm", -100, 100, true},
    {"Mode letter", Char, 1, 1, DataSet, 1, "", 'A', 'Z', false},
    {"Torque", U16, 1, 1, 1 | DataSet, 3 | SaveAppl, "Nm", 50, 20000, true},
    {"Temperature", S16, 1, 1, 2 | Dynamic, 0, "\xB0" "C", -4000, 8500, true},
    {"Counter", U32, 1, 1, Dynamic, 0, "", 0, 1000000, false},
    {"Correction", S32, 1, 1, 3 | DataSet, 3 | SaveFact, "Nm", -100000, 100000, true},
    {"Factor", Float, 1, 1, 2, 3 | SaveFact, "", 50, 2000, true},
    {"Flags", U8, 1, 1, HexDisplay, 5, "", 0, 255, false},
    {"Status", U16, 1, 1, HexDisplay, 0, "", 0, 0xFFFF, false, true, true},
    {"Mask", U32, 1, 1, HexDisplay, 4, "", 0, 0x7FFFFFFF, false},
    {"Points", U16, 4, 2, 1, 4 | SaveFact, "Nm", 0, 20000, false},
    {"Offsets", S32, 2, 3, 1, 3, "Nm", -5000, 5000, false},
    {"Curve", Float, 3, 1, 3, 3, "", 0, 2000, false},
    {"Bytes", U8, 1, 8, HexDisplay, 0, "", 0, 255, false},
    {"Texts", Char, 3, 12, DataSet, 1 | SaveAppl, "", 0, 0, false},
    {"Label", Char, 1, 16, 0, 1, "", 0, 0, false},
    {"Command", U8, 1, 1, 0, 3, "", 0, 1, false, false},
};

qint64 raw(const Shape& shape, qint64 value)
{
    if (shape.type != Float)
        return value;
    return valuebytes::floatBits(static_cast<float>(value) / 100.0F);
}

QByteArray value(const Shape& shape, int index)
{
    const int cells = shape.rows * shape.columns;
    if (shape.type == Char && shape.columns > 1) {
        QList<QByteArray> rows;
        for (int row = 0; row < shape.rows; ++row)
            rows.append('L' + QByteArray::number(index) + '/' + QByteArray::number(row + 1));
        return valuebytes::textRows(shape.columns, rows);
    }
    QList<qint64> elements;
    for (int cell = 0; cell < cells; ++cell) {
        const qint64 step = (qint64{index} * 37 + cell * 11) % (shape.high - shape.low + 1);
        elements.append(raw(shape, shape.low + step));
    }
    return valuebytes::elements(shape.type, elements);
}

} // namespace

int shapeCount()
{
    return static_cast<int>(std::size(Shapes));
}

QList<Parameter> generate(int count)
{
    QList<Parameter> parameters;
    parameters.reserve(count);
    for (int index = 0; index < count; ++index) {
        const Shape& shape = Shapes[index % shapeCount()];
        Parameter p;
        p.id = FirstId + static_cast<quint32>(index);
        p.type = shape.type;
        p.rows = shape.rows;
        p.columns = shape.columns;
        p.access = shape.access;
        p.info = shape.info;
        if (shape.limits) {
            p.hasLimits = true;
            p.min = static_cast<quint32>(raw(shape, shape.low));
            p.max = static_cast<quint32>(raw(shape, shape.high));
        }
        p.value = value(shape, index);
        p.describeValue = shape.described;
        if (shape.skippedBlock)
            p.reserved = QByteArray::number(index).rightJustified(8, '0');
        p.name = QByteArray(shape.label) + ' ' + QByteArray::number(p.id);
        p.unit = shape.unit;
        p.module = "Module " + QByteArray::number(index / ParametersPerModule + 1);
        // Every third with a two-line description, the others without one.
        if (index % 3 == 0)
            p.description = QByteArray(shape.label) + " of the generated list\\n"
                + QByteArray::number(shape.rows) + " x " + QByteArray::number(shape.columns);
        parameters.append(p);
    }
    return parameters;
}

} // namespace wrench::parametergenerator
