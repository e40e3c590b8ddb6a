#include "tools/parametertable.h"

#include "tools/wireframe.h"

#include <cstring>

namespace wrench {

namespace valuetype {

int elementSize(quint8 type)
{
    switch (type >> 4) {
    case 0:
        return type <= Char ? 1 : 0;
    case 1:
        return type <= S16 ? 2 : 0;
    case 3:
        return type <= S32 || type == Float ? 4 : 0;
    default:
        return 0;
    }
}

bool isSigned(quint8 type)
{
    return type == S8 || type == S16 || type == S32;
}

} // namespace valuetype

namespace valuebytes {

QByteArray elements(quint8 type, const QList<qint64>& raw)
{
    QByteArray out;
    const int size = valuetype::elementSize(type);
    for (const qint64 value : raw) {
        const auto bits = static_cast<quint32>(value);
        for (int i = 0; i < size; ++i)
            out.append(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
    return out;
}

QByteArray textRows(int columns, const QList<QByteArray>& rows)
{
    QByteArray out;
    for (const QByteArray& row : rows) {
        QByteArray cells = row.left(columns - 1);
        cells.append(QByteArray(columns - static_cast<int>(cells.size()), '\0'));
        out.append(cells);
    }
    return out;
}

quint32 floatBits(float value)
{
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float bitsToFloat(quint32 bits)
{
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace valuebytes

namespace {

using namespace accessword;
using namespace infoword;
using valuebytes::elements;
using valuebytes::floatBits;
using valuebytes::textRows;
const QByteArray DegreeSign("\xB0");

Parameter scalar(quint32 id, quint8 type, const char* name, qint64 value)
{
    Parameter p;
    p.id = id;
    p.type = type;
    p.name = name;
    p.value = elements(type, {value});
    return p;
}

Parameter text(quint32 id, const char* name, int columns, const QByteArray& value)
{
    Parameter p;
    p.id = id;
    p.type = valuetype::Char;
    p.columns = columns;
    p.name = name;
    p.value = textRows(columns, {value});
    return p;
}

Parameter& limits(Parameter& p, qint64 min, qint64 max)
{
    p.hasLimits = true;
    p.min = static_cast<quint32>(min);
    p.max = static_cast<quint32>(max);
    return p;
}

qint64 elementValue(quint8 type, const QByteArray& value)
{
    const int size = valuetype::elementSize(type);
    quint32 raw = 0;
    for (int i = 0; i < size && i < value.size(); ++i)
        raw |= quint32{static_cast<quint8>(value.at(i))} << (8 * i);
    if (!valuetype::isSigned(type))
        return raw;
    const int shift = 32 - 8 * size;
    return static_cast<qint32>(raw << shift) >> shift;
}

QByteArray zeroTerminated(const QByteArray& text)
{
    return text + '\0';
}

// The parameters every wrench has, the list header first.
QList<Parameter> fixedParameters(const DeviceIdentity& identity)
{
    using namespace valuetype;
    QList<Parameter> t;

    Parameter header;
    header.id = ParameterTable::ListHeaderId;
    header.columns = 8;
    header.info = HexDisplay;
    header.name = "Parameter list";
    header.module = "System";
    header.description = "Format, record count of the description list";
    t.append(header);

    Parameter access = scalar(ParameterTable::AccessLevelId, U32, "Access level", 0);
    access.access = 1;
    access.module = "System";
    access.description = "Current write level\\nWrite the access code to raise it";
    t.append(access);

    Parameter device = text(100, "Device name", 24, identity.deviceName);
    device.access = 4;
    device.module = "Device";
    t.append(device);
    Parameter firmware = text(101, "Firmware version", 24, identity.firmware);
    firmware.module = "Device";
    t.append(firmware);
    Parameter hardware = text(103, "Hardware version", 16, identity.hardware);
    hardware.module = "Device";
    t.append(hardware);

    Parameter mode = scalar(113, U8, "History mode", identity.historyMode);
    limits(mode, 0, 3);
    mode.access = 3 | SaveAppl;
    mode.info = DataSet;
    mode.module = "History";
    mode.description = "2: schedules, parameter sets and checks are stored";
    t.append(mode);

    Parameter serial = text(135, "Serial number", 16, identity.serial);
    serial.access = 4;
    serial.module = "Device";
    t.append(serial);
    return t;
}

} // namespace

quint32 Parameter::attr() const
{
    return quint32(rows - 1) | (quint32(columns - 1) << 10) | (quint32{type} << 20);
}

int Parameter::valueSize() const
{
    return rows * columns * valuetype::elementSize(type);
}

const QList<quint32>& ParameterTable::fixedIds()
{
    static const QList<quint32> ids = [] {
        QList<quint32> out;
        for (const Parameter& p : fixedParameters(DeviceIdentity()))
            out.append(p.id);
        return out;
    }();
    return ids;
}

QList<Parameter> ParameterTable::standardSettings()
{
    using namespace valuetype;
    QList<Parameter> t;

    Parameter unit = scalar(200, U8, "Torque unit", 0);
    limits(unit, 0, 3);
    unit.access = 1 | SaveAppl;
    unit.info = DataSet;
    unit.module = "Measurement";
    unit.description = "0 Nm, 1 Lbf ft, 2 Lbf in, 3 Kgf m";
    t.append(unit);

    Parameter angle = scalar(201, S8, "Angle correction", -5);
    limits(angle, -10, 10);
    angle.access = 3;
    angle.unit = DegreeSign;
    angle.module = "Measurement";
    t.append(angle);

    Parameter beeper = scalar(202, Char, "Beeper mode", 'A');
    beeper.access = 1 | SaveAppl;
    beeper.info = DataSet;
    beeper.module = "Display";
    beeper.description = "A: always\\nE: on errors only\\tN: never";
    t.append(beeper);

    Parameter nominal = scalar(203, U16, "Nominal torque", 1250);
    limits(nominal, 50, 2000);
    nominal.access = 3 | SaveAppl;
    nominal.info = 1 | DataSet;
    nominal.unit = "Nm";
    nominal.module = "Measurement";
    t.append(nominal);

    Parameter temperature = scalar(204, S16, "Temperature", 231);
    limits(temperature, -400, 850);
    temperature.info = 1 | Dynamic;
    temperature.unit = DegreeSign + "C";
    temperature.module = "Device";
    t.append(temperature);

    Parameter cycles = scalar(205, U32, "Cycle counter", 123456);
    cycles.info = Dynamic;
    cycles.module = "Device";
    t.append(cycles);

    Parameter zero = scalar(206, S32, "Zero offset", -4200);
    limits(zero, -100000, 100000);
    zero.access = 3 | SaveFact;
    zero.info = 2 | DataSet;
    zero.unit = "Nm";
    zero.module = "Calibration";
    t.append(zero);

    Parameter gain = scalar(207, Float, "Gain", floatBits(1.025F));
    limits(gain, floatBits(0.5F), floatBits(2.0F));
    gain.access = 3 | SaveFact;
    gain.info = 3;
    gain.module = "Calibration";
    t.append(gain);

    Parameter status = scalar(208, U16, "Status word", 0x1A2B);
    status.info = HexDisplay;
    status.module = "Device";
    status.reserved = QByteArray::fromHex("00112233445566");
    t.append(status);

    Parameter options = scalar(209, U8, "Option flags", 0xC8);
    options.access = 5;
    options.info = HexDisplay;
    options.module = "Device";
    t.append(options);

    Parameter calibration;
    calibration.id = 210;
    calibration.type = U16;
    calibration.rows = 5;
    calibration.columns = 2;
    calibration.value = elements(U16, {100, 98, 500, 497, 1000, 1002, 1500, 1503, 2000, 1996});
    calibration.access = 4 | SaveFact;
    calibration.info = 1;
    calibration.name = "Calibration points";
    calibration.unit = "Nm";
    calibration.module = "Calibration";
    calibration.description = "Reference and measured torque per point";
    t.append(calibration);

    Parameter texts;
    texts.id = 211;
    texts.type = Char;
    texts.rows = 3;
    texts.columns = 12;
    texts.value = textRows(12, {"READY", "TIGHTEN", "DONE"});
    texts.access = 1 | SaveAppl;
    texts.info = DataSet;
    texts.name = "Operator texts";
    texts.module = "Display";
    t.append(texts);

    Parameter offsets;
    offsets.id = 212;
    offsets.type = S16;
    offsets.rows = 2;
    offsets.columns = 3;
    offsets.value = elements(S16, {-15, 0, 12, 7, -3, -250});
    offsets.access = 3;
    offsets.info = 1;
    offsets.name = "Limit offsets";
    offsets.unit = "Nm";
    offsets.module = "Calibration";
    t.append(offsets);

    Parameter reset = scalar(214, U8, "Reset counters", 0);
    reset.access = 3;
    reset.describeValue = false;
    reset.module = "Service";
    t.append(reset);

    return t;
}

ParameterTable::ParameterTable(const DeviceIdentity& identity, const QList<Parameter>& settings)
    : m_parameters(fixedParameters(identity) + settings)
    , m_accessLevel(identity.accessLevel)
{
    // The header names the number of description records in bytes 4 and 5.
    QByteArray headerValue;
    wire::appendLe16(headerValue, 1);
    wire::appendLe16(headerValue, 0);
    wire::appendLe16(headerValue, static_cast<quint16>(m_parameters.size()));
    wire::appendLe16(headerValue, 0);
    m_parameters.first().value = headerValue;
}

const Parameter* ParameterTable::find(quint32 id) const
{
    for (const Parameter& p : m_parameters) {
        if (p.id == id)
            return &p;
    }
    return nullptr;
}

Parameter* ParameterTable::findMutable(quint32 id)
{
    return const_cast<Parameter*>(find(id));
}

bool ParameterTable::read(quint32 id, QByteArray* value)
{
    Parameter* p = findMutable(id);
    if (p == nullptr)
        return false;
    if (id == AccessLevelId) {
        p->value.clear();
        wire::appendLe32(p->value, m_accessLevel);
    } else if ((p->info & Dynamic) != 0 && p->type != valuetype::Char && p->rows * p->columns == 1) {
        // Values that change on their own: a counter that runs and a reading
        // that wanders within a few steps.
        ++m_readCount;
        const qint64 current = elementValue(p->type, p->value);
        const qint64 next = p->type == valuetype::U32 ? current + 1 : current + (m_readCount % 5) - 2;
        p->value = elements(p->type, {next});
    }
    *value = p->value;
    return true;
}

quint16 ParameterTable::checkLimits(const Parameter& p, const QByteArray& value) const
{
    if (!p.hasLimits || p.rows * p.columns != 1)
        return 0;
    if (p.type == valuetype::Float) {
        const float v = valuebytes::bitsToFloat(static_cast<quint32>(elementValue(p.type, value)));
        if (v > valuebytes::bitsToFloat(p.max))
            return paramerror::AboveMax;
        return v < valuebytes::bitsToFloat(p.min) ? paramerror::BelowMin : 0;
    }
    const qint64 v = elementValue(p.type, value);
    const qint64 min = valuetype::isSigned(p.type) ? qint64{static_cast<qint32>(p.min)} : qint64{p.min};
    const qint64 max = valuetype::isSigned(p.type) ? qint64{static_cast<qint32>(p.max)} : qint64{p.max};
    if (v > max)
        return paramerror::AboveMax;
    return v < min ? paramerror::BelowMin : 0;
}

quint16 ParameterTable::write(quint32 id, const QByteArray& value)
{
    Parameter* p = findMutable(id);
    if (p == nullptr)
        return paramerror::NotAvailable;
    if (id == AccessLevelId) {
        // The access parameter takes a code, not a level: a right code opens
        // the service level, anything else leaves the level as it is.
        if (value.size() != 4)
            return paramerror::ContentSize;
        const quint32 code = wire::le32(value, 0);
        if (code == TextAccessCode || code == NumericAccessCode)
            m_accessLevel = qMax(m_accessLevel, ServiceLevel);
        return 0;
    }
    const quint32 writeLevel = p->access & WriteLevelMask;
    if (writeLevel == 0 || writeLevel > m_accessLevel)
        return paramerror::ServiceLevel;
    if (value.size() != p->valueSize())
        return paramerror::ContentSize;
    if (const quint16 error = checkLimits(*p, value))
        return error;
    p->value = value;
    return 0;
}

QByteArray ParameterTable::descriptionRecord(const Parameter& p)
{
    using namespace recordfield;
    quint32 flags = Pid | Attr | Access | Info | Value;
    if (p.hasLimits)
        flags |= Limits;
    if (!p.reserved.isEmpty())
        flags |= Reserved;
    if (!p.name.isEmpty())
        flags |= Name;
    if (!p.unit.isEmpty())
        flags |= Unit;
    if (!p.module.isEmpty())
        flags |= Module;
    if (!p.description.isEmpty())
        flags |= Description;

    QByteArray out;
    wire::appendLe32(out, flags);
    wire::appendLe32(out, p.id);
    wire::appendLe32(out, p.attr());
    wire::appendLe32(out, p.access);
    wire::appendLe32(out, p.info);
    if (flags & Limits) {
        wire::appendLe32(out, p.min);
        wire::appendLe32(out, p.max);
    }
    const QByteArray value = p.describeValue ? p.value : QByteArray();
    wire::appendLe32(out, static_cast<quint32>(value.size()));
    out.append(value);
    if (flags & Reserved) {
        wire::appendLe32(out, static_cast<quint32>(p.reserved.size()));
        out.append(p.reserved);
    }
    if (flags & Name)
        out.append(zeroTerminated(p.name));
    if (flags & Unit)
        out.append(zeroTerminated(p.unit));
    if (flags & Module)
        out.append(zeroTerminated(p.module));
    if (flags & Description)
        out.append(zeroTerminated(p.description));
    return out;
}

QList<QByteArray> ParameterTable::descriptionRecords() const
{
    QList<QByteArray> records;
    for (const Parameter& p : m_parameters)
        records.append(descriptionRecord(p));
    return records;
}

} // namespace wrench
