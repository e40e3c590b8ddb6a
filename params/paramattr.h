#pragma once

#include <QtGlobal>

// The meaning of the three words that describe a parameter: ATTR (table shape
// and value type), INFO (display) and ACCESS (write level and save flags).
namespace paramattr {

enum ValueType : quint8 {
    TypeU8 = 0x00,
    TypeS8 = 0x01,
    TypeChar = 0x02,
    TypeU16 = 0x10,
    TypeS16 = 0x11,
    TypeU32 = 0x30,
    TypeS32 = 0x31,
    TypeFloat = 0x34,
};

// ATTR: bits 0-9 rows - 1, bits 10-19 columns - 1, bits 20-27 value type.
constexpr quint32 rows(quint32 attr) { return (attr & 0x3FFU) + 1; }
constexpr quint32 columns(quint32 attr) { return ((attr >> 10) & 0x3FFU) + 1; }
constexpr quint8 valueType(quint32 attr) { return static_cast<quint8>((attr >> 20) & 0xFFU); }
constexpr bool isScalar(quint32 attr) { return (attr & 0xFFFFFU) == 0; }
constexpr quint32 makeAttr(quint8 type, quint32 rowCount, quint32 columnCount)
{
    return (static_cast<quint32>(type) << 20) | (((columnCount - 1) & 0x3FFU) << 10)
        | ((rowCount - 1) & 0x3FFU);
}

// Raw bytes of one element: 1, 2 or 4; 0 for a type that is not known.
constexpr int elementSize(quint8 type)
{
    switch (type) {
    case TypeU8:
    case TypeS8:
    case TypeChar:
        return 1;
    case TypeU16:
    case TypeS16:
        return 2;
    case TypeU32:
    case TypeS32:
    case TypeFloat:
        return 4;
    default:
        return 0;
    }
}

constexpr bool isSigned(quint8 type) { return type == TypeS8 || type == TypeS16 || type == TypeS32; }

// INFO: bits 0-2 decimal places, bits 3-5 display format (1: hexadecimal).
constexpr int decimals(quint32 info) { return static_cast<int>(info & 7U); }
constexpr bool isHexDisplay(quint32 info) { return (info & 0x38U) == 0x08U; }
constexpr quint32 InfoDynamic = 0x40;
constexpr quint32 InfoDataset = 0x80;

// ACCESS: bits 0-2 write level, plus two save flags.
enum WriteLevel : quint8 { ReadOnly = 0, WrAppl, WrInst, WrServ, WrProd, WrProg };
constexpr int writeLevel(quint32 access) { return static_cast<int>(access & 7U); }
constexpr quint32 AccessSaveAppl = 0x10;
constexpr quint32 AccessSaveFact = 0x40;

// A table of more cells is refused wherever it comes from.
constexpr quint32 MaxTableCells = 65536;

} // namespace paramattr
