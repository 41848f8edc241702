#pragma once

#include <QString>
#include <QStringList>

class Dialogs;

// The rules the SQL window applies before it runs a statement.
namespace SqlStatementRules {
// Whether any token of the text is DELETE or DROP (letter case ignored).
bool isDestructive(const QString& text);
// For a destructive statement: the warning (Yes/No), then the input box that must be answered
// with "ja". Answers whether the statement may run; other statements may always run.
bool confirmToRun(Dialogs& dialogs, const QString& text);
// Removes empty and blank lines from the start.
QStringList withoutLeadingBlankLines(QStringList lines);
} // namespace SqlStatementRules
