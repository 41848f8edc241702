#pragma once

#include <QString>

struct sqlite3;

// Text comparison as the archive's users expect it: letter case is ignored, umlauts included.
namespace SqlFunctions {
// Installs the collation DXNOCASE and the functions like(), lower(), upper(), ucase(), lcase()
// and now() on a connection.
void install(sqlite3* db);

// The comparisons behind them, usable without a database.
int compareIgnoringCase(const char* a, int aLength, const char* b, int bLength);
// SQL LIKE with "%" and "_" and an optional escape character, ignoring letter case.
bool like(const QString& pattern, const QString& text, QChar escape = QChar());
} // namespace SqlFunctions
