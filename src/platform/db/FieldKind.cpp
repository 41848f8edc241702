#include "FieldKind.h"

#include <QRegularExpression>

DeclaredType parseDeclaredType(const QString& declaredType)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*([A-Za-z_ ]*?)\s*(?:\(\s*(\d+)\s*(?:,\s*\d+\s*)?\))?\s*$)"));
    const auto match = pattern.match(declaredType);
    if (!match.hasMatch())
        return {};
    const QString name = match.captured(1).toUpper();
    const int width = match.captured(2).isEmpty() ? 0 : match.captured(2).toInt();

    struct Entry
    {
        const char* name;
        FieldKind kind;
        int defaultWidth;
    };
    static const Entry table[] = {
        {"TEXT", FieldKind::String, 255},
        {"VARCHAR", FieldKind::String, 255},
        {"CHARACTER VARYING", FieldKind::String, 255},
        {"CHAR", FieldKind::FixedChar, 255},
        {"CHARACTER", FieldKind::FixedChar, 255},
        {"NVARCHAR", FieldKind::WideString, 255},
        {"NCHAR", FieldKind::WideString, 255},
        {"LONGTEXT", FieldKind::Memo, 0},
        {"MEMO", FieldKind::Memo, 0},
        {"LONGCHAR", FieldKind::Memo, 0},
        {"NOTE", FieldKind::Memo, 0},
        {"NTEXT", FieldKind::Memo, 0},
        {"CLOB", FieldKind::Memo, 0},
        {"INTEGER", FieldKind::Integer, 0},
        {"INT", FieldKind::Integer, 0},
        {"LONG", FieldKind::Integer, 0},
        {"INTEGER4", FieldKind::Integer, 0},
        {"SMALLINT", FieldKind::SmallInt, 0},
        {"SHORT", FieldKind::SmallInt, 0},
        {"INTEGER2", FieldKind::SmallInt, 0},
        {"BYTE", FieldKind::SmallInt, 0},
        {"TINYINT", FieldKind::SmallInt, 0},
        {"BIGINT", FieldKind::LargeInt, 0},
        {"COUNTER", FieldKind::AutoInc, 0},
        {"AUTOINCREMENT", FieldKind::AutoInc, 0},
        {"BIT", FieldKind::Boolean, 0},
        {"YESNO", FieldKind::Boolean, 0},
        {"LOGICAL", FieldKind::Boolean, 0},
        {"BOOLEAN", FieldKind::Boolean, 0},
        {"FLOAT", FieldKind::Float, 0},
        {"DOUBLE", FieldKind::Float, 0},
        {"REAL", FieldKind::Float, 0},
        {"NUMBER", FieldKind::Float, 0},
        {"NUMERIC", FieldKind::Float, 0},
        {"DECIMAL", FieldKind::Float, 0},
        {"FLOAT8", FieldKind::Float, 0},
        {"MONEY", FieldKind::Currency, 0},
        {"CURRENCY", FieldKind::Currency, 0},
        {"DATETIME", FieldKind::DateTime, 0},
        {"DATE", FieldKind::Date, 0},
        {"TIME", FieldKind::Time, 0},
        {"TIMESTAMP", FieldKind::DateTime, 0},
        {"IMAGE", FieldKind::Graphic, 0},
        {"LONGBINARY", FieldKind::Graphic, 0},
        {"OLEOBJECT", FieldKind::Graphic, 0},
        {"GENERAL", FieldKind::Graphic, 0},
        {"BLOB", FieldKind::Blob, 0},
        {"BINARY", FieldKind::Bytes, 255},
        {"VARBINARY", FieldKind::Bytes, 255},
    };
    for (const Entry& entry : table) {
        if (name == QLatin1String(entry.name)) {
            int w = 0;
            if (isTextKind(entry.kind) || entry.kind == FieldKind::Bytes)
                w = width > 0 ? width : entry.defaultWidth;
            return {entry.kind, w};
        }
    }
    return {};
}

bool isTextKind(FieldKind kind)
{
    return kind == FieldKind::String || kind == FieldKind::FixedChar || kind == FieldKind::WideString;
}

bool isMemoKind(FieldKind kind)
{
    return kind == FieldKind::Memo || kind == FieldKind::FmtMemo;
}

bool isIntegerKind(FieldKind kind)
{
    switch (kind) {
    case FieldKind::SmallInt:
    case FieldKind::Integer:
    case FieldKind::Word:
    case FieldKind::AutoInc:
    case FieldKind::LargeInt: return true;
    default: return false;
    }
}

bool isFloatKind(FieldKind kind)
{
    return kind == FieldKind::Float || kind == FieldKind::Currency;
}

bool isDateKind(FieldKind kind)
{
    return kind == FieldKind::Date || kind == FieldKind::Time || kind == FieldKind::DateTime;
}

bool isBinaryKind(FieldKind kind)
{
    return kind == FieldKind::Blob || kind == FieldKind::Graphic || kind == FieldKind::Bytes;
}

QString fieldKindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Unknown: return QStringLiteral("unknown");
    case FieldKind::String: return QStringLiteral("string");
    case FieldKind::FixedChar: return QStringLiteral("fixedchar");
    case FieldKind::WideString: return QStringLiteral("widestring");
    case FieldKind::SmallInt: return QStringLiteral("smallint");
    case FieldKind::Integer: return QStringLiteral("integer");
    case FieldKind::Word: return QStringLiteral("word");
    case FieldKind::AutoInc: return QStringLiteral("autoinc");
    case FieldKind::LargeInt: return QStringLiteral("largeint");
    case FieldKind::Boolean: return QStringLiteral("boolean");
    case FieldKind::Float: return QStringLiteral("float");
    case FieldKind::Currency: return QStringLiteral("currency");
    case FieldKind::Date: return QStringLiteral("date");
    case FieldKind::Time: return QStringLiteral("time");
    case FieldKind::DateTime: return QStringLiteral("datetime");
    case FieldKind::Blob: return QStringLiteral("blob");
    case FieldKind::Memo: return QStringLiteral("memo");
    case FieldKind::FmtMemo: return QStringLiteral("fmtmemo");
    case FieldKind::Graphic: return QStringLiteral("graphic");
    case FieldKind::Bytes: return QStringLiteral("bytes");
    }
    return {};
}
