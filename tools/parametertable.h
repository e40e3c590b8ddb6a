#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace wrench {

// Value types of the wrench's parameters (bits 20..27 of the ATTR word).
namespace valuetype {
constexpr quint8 U8 = 0x00;
constexpr quint8 S8 = 0x01;
constexpr quint8 Char = 0x02;
constexpr quint8 U16 = 0x10;
constexpr quint8 S16 = 0x11;
constexpr quint8 U32 = 0x30;
constexpr quint8 S32 = 0x31;
constexpr quint8 Float = 0x34;
int elementSize(quint8 type);
bool isSigned(quint8 type);
} // namespace valuetype

// Value bytes as the wrench sends them: least significant byte first.
namespace valuebytes {
// One element of the type per raw value (floats as their bits, see floatBits).
QByteArray elements(quint8 type, const QList<qint64>& raw);
// A text table: each row a zero-terminated string, one character per cell;
// longer texts are cut to columns - 1 characters.
QByteArray textRows(int columns, const QList<QByteArray>& rows);
quint32 floatBits(float value);
float bitsToFloat(quint32 bits);
} // namespace valuebytes

// Bits of the ACCESS and INFO words.
namespace accessword {
constexpr quint32 WriteLevelMask = 0x07;
constexpr quint32 SaveAppl = 0x10;
constexpr quint32 SaveFact = 0x40;
} // namespace accessword
namespace infoword {
constexpr quint32 HexDisplay = 0x08;
constexpr quint32 Dynamic = 0x40;
constexpr quint32 DataSet = 0x80;
} // namespace infoword

// Error codes the wrench reports for a parameter request.
namespace paramerror {
constexpr quint16 AboveMax = 101;
constexpr quint16 BelowMin = 102;
constexpr quint16 ContentSize = 104;
constexpr quint16 NotAvailable = 105;
constexpr quint16 ServiceLevel = 106;
constexpr quint16 WrongIndex = 108;
} // namespace paramerror

// Flags of a device description record: which fields follow the flag word.
namespace recordfield {
constexpr quint32 Pid = 0x001;
constexpr quint32 Attr = 0x002;
constexpr quint32 Access = 0x004;
constexpr quint32 Info = 0x008;
constexpr quint32 Limits = 0x010;
constexpr quint32 Value = 0x020;
constexpr quint32 Reserved = 0x040;
constexpr quint32 Name = 0x080;
constexpr quint32 Unit = 0x100;
constexpr quint32 Module = 0x200;
constexpr quint32 Description = 0x400;
} // namespace recordfield

struct Parameter {
    quint32 id = 0;
    quint8 type = valuetype::U8;
    int rows = 1;
    int columns = 1;
    quint32 access = 0; // bits 0..2 write level (0 read-only), 0x10 SAVE_APPL, 0x40 SAVE_FACT
    quint32 info = 0;   // bits 0..2 decimals, 0x08 hex display, 0x40 DYNAMIC, 0x80 DATASET
    bool hasLimits = false;
    quint32 min = 0; // raw, sign-extended for signed types
    quint32 max = 0;
    QByteArray value; // rows x columns elements, row by row, least significant byte first
    bool describeValue = true; // false: the description carries an empty value
    QByteArray reserved;       // opaque block in the description (skipped by readers)
    QByteArray name;
    QByteArray unit;
    QByteArray module;
    QByteArray description;

    quint32 attr() const;
    int valueSize() const;
};

// What tells one wrench from another in its parameters.
struct DeviceIdentity {
    QByteArray deviceName = "TOLVO TW-200";
    QByteArray firmware = "FW 2.14.0";
    QByteArray hardware = "HW 3.1";
    QByteArray serial = "TW2000123";
    quint8 historyMode = 2;
    quint32 accessLevel = 1;
};

// The wrench's parameters: the list header, the access level and the
// identity, which every wrench has, followed by its settings. Reads and
// writes follow the access rules; parameter 1 is the header of the
// description list and names how many descriptions it holds.
class ParameterTable {
public:
    static constexpr quint32 ListHeaderId = 1;
    static constexpr quint32 AccessLevelId = 5;
    static constexpr quint32 TextAccessCode = 720356;
    static constexpr quint32 NumericAccessCode = 583019;
    static constexpr quint32 ServiceLevel = 3;
    // The header counts descriptions in 16 bits.
    static constexpr int MaxParameters = 0xFFFF;

    // The IDs of the parameters every wrench has, ahead of its settings.
    static const QList<quint32>& fixedIds();
    // Settings of every value type, a number table and a text table.
    static QList<Parameter> standardSettings();

    // settings must not reuse an ID, nor one of fixedIds(), and together
    // with the fixed parameters stay within MaxParameters.
    explicit ParameterTable(const DeviceIdentity& identity = DeviceIdentity(),
                            const QList<Parameter>& settings = standardSettings());

    const QList<Parameter>& parameters() const { return m_parameters; }
    const Parameter* find(quint32 id) const;
    quint32 accessLevel() const { return m_accessLevel; }

    // The current value of a parameter; false for an unknown ID.
    bool read(quint32 id, QByteArray* value);
    // Stores a value; returns 0 or the error code to report.
    quint16 write(quint32 id, const QByteArray& value);

    // One description record per parameter, in table order.
    QList<QByteArray> descriptionRecords() const;
    static QByteArray descriptionRecord(const Parameter& parameter);

private:
    Parameter* findMutable(quint32 id);
    quint16 checkLimits(const Parameter& parameter, const QByteArray& value) const;

    QList<Parameter> m_parameters;
    quint32 m_accessLevel = 1;
    quint32 m_readCount = 0; // drives the values that change on their own
};

} // namespace wrench
