#include "SqlFunctions.h"

#include "platform/db/DateSerial.h"
#include "platform/db/JetDialect.h"

#include <QDateTime>

#include <sqlite3.h>

#include <vector>

namespace {
bool isAscii(const char* s, int n)
{
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    return true;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

std::vector<char32_t> foldedCodePoints(QStringView text)
{
    std::vector<char32_t> out;
    out.reserve(size_t(text.size()));
    for (char32_t c : text.toUcs4())
        out.push_back(QChar::toCaseFolded(c));
    return out;
}

int collate(void*, int aLength, const void* a, int bLength, const void* b)
{
    return SqlFunctions::compareIgnoringCase(
        static_cast<const char*>(a), aLength, static_cast<const char*>(b), bLength);
}

QString textArg(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return QString::fromUtf8(text, sqlite3_value_bytes(value));
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    QChar escape;
    if (argc == 3) {
        const QString e = textArg(argv[2]);
        if (e.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = e[0];
    }
    // like(pattern, text): SQLite passes the pattern first.
    sqlite3_result_int(context, SqlFunctions::like(textArg(argv[0]), textArg(argv[1]), escape) ? 1 : 0);
}

void caseFunction(sqlite3_context* context, int, sqlite3_value** argv, bool upper)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const QString text = textArg(argv[0]);
    const QByteArray out = (upper ? text.toUpper() : text.toLower()).toUtf8();
    sqlite3_result_text(context, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

void lowerFunction(sqlite3_context* c, int n, sqlite3_value** v)
{
    caseFunction(c, n, v, false);
}

void upperFunction(sqlite3_context* c, int n, sqlite3_value** v)
{
    caseFunction(c, n, v, true);
}

void nowFunction(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_double(context, DateSerial::fromDateTime(QDateTime::currentDateTime()));
}
} // namespace

namespace SqlFunctions {

int compareIgnoringCase(const char* a, int aLength, const char* b, int bLength)
{
    if (isAscii(a, aLength) && isAscii(b, bLength)) {
        const int n = std::min(aLength, bLength);
        for (int i = 0; i < n; ++i) {
            const char ca = asciiLower(a[i]);
            const char cb = asciiLower(b[i]);
            if (ca != cb)
                return ca < cb ? -1 : 1;
        }
        return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
    }
    const auto fa = foldedCodePoints(QString::fromUtf8(a, aLength));
    const auto fb = foldedCodePoints(QString::fromUtf8(b, bLength));
    const size_t n = std::min(fa.size(), fb.size());
    for (size_t i = 0; i < n; ++i)
        if (fa[i] != fb[i])
            return fa[i] < fb[i] ? -1 : 1;
    return fa.size() == fb.size() ? 0 : (fa.size() < fb.size() ? -1 : 1);
}

bool like(const QString& pattern, const QString& text, QChar escape)
{
    // The pattern as a list of elements: a code point, "any one" or "any run".
    constexpr char32_t kAnyOne = 0xFFFFFFFE;
    constexpr char32_t kAnyRun = 0xFFFFFFFF;
    std::vector<char32_t> p;
    const auto raw = pattern.toUcs4();
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char32_t c = raw[i];
        if (!escape.isNull() && c == escape.unicode() && i + 1 < raw.size())
            p.push_back(QChar::toCaseFolded(raw[++i]));
        else if (c == U'%')
            p.push_back(kAnyRun);
        else if (c == U'_')
            p.push_back(kAnyOne);
        else
            p.push_back(QChar::toCaseFolded(c));
    }
    const auto s = foldedCodePoints(text);

    // Greedy match with backtracking to the last "any run".
    size_t pi = 0, si = 0;
    size_t starP = size_t(-1), starS = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == kAnyOne || (p[pi] != kAnyRun && p[pi] == s[si]))) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == kAnyRun) {
            starP = pi++;
            starS = si;
        } else if (starP != size_t(-1)) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == kAnyRun)
        ++pi;
    return pi == p.size();
}

void install(sqlite3* db)
{
    sqlite3_create_collation_v2(db, JetDialect::kCollation, SQLITE_UTF8, nullptr, collate, nullptr);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, nullptr, likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "lower", 1, flags, nullptr, lowerFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "upper", 1, flags, nullptr, upperFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "lcase", 1, flags, nullptr, lowerFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "ucase", 1, flags, nullptr, upperFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "now", 0, SQLITE_UTF8, nullptr, nowFunction, nullptr, nullptr, nullptr);
}

} // namespace SqlFunctions
