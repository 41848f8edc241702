#pragma once

#include <QString>

// The kind of a field as the archive's declared column types describe it.
enum class FieldKind {
    Unknown,
    String, // TEXT(n), VARCHAR(n)
    FixedChar, // CHAR(n)
    WideString, // NVARCHAR(n)
    SmallInt, // SMALLINT, BYTE
    Integer, // INTEGER, LONG
    Word, // unsigned 16-bit
    AutoInc, // COUNTER, AUTOINCREMENT
    LargeInt, // 64-bit
    Boolean, // BIT, YESNO (archives of this program store booleans as TEXT(1) instead)
    Float, // FLOAT, DOUBLE, REAL
    Currency, // MONEY, CURRENCY
    Date,
    Time,
    DateTime, // DATETIME
    Blob, // binary large object
    Memo, // LONGTEXT, MEMO
    FmtMemo,
    Graphic, // IMAGE, LONGBINARY, OLEOBJECT
    Bytes, // BINARY(n)
};

struct DeclaredType
{
    FieldKind kind = FieldKind::Unknown;
    int width = 0; // declared width of text columns, 0 otherwise
};

// Reads a declared column type ("TEXT(30)", "LONGTEXT", "DATETIME", …) back into kind and width.
DeclaredType parseDeclaredType(const QString& declaredType);

bool isTextKind(FieldKind kind); // String, FixedChar, WideString
bool isMemoKind(FieldKind kind); // Memo, FmtMemo
bool isIntegerKind(FieldKind kind); // SmallInt, Integer, Word, AutoInc, LargeInt
bool isFloatKind(FieldKind kind); // Float, Currency
bool isDateKind(FieldKind kind); // Date, Time, DateTime
bool isBinaryKind(FieldKind kind); // Blob, Graphic, Bytes
QString fieldKindName(FieldKind kind);
