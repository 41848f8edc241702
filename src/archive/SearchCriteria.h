#pragma once

#include <QString>

class SqlRecordSet;
struct SqlField;
class TDModul;

// One field's criterion text turned into a condition for the WHERE clause of the document query.
// A condition ends in " AND " so that the callers can append conditions one after the other and
// cut the last " AND " once; an empty condition restricts nothing.

// Every "*" becomes "%" and every "?" becomes "_".
QString ExpandWildcards(const QString& text);

// The condition for a criterion typed into the box of a field of the document record set (whose
// current record gives the value of a boolean field). A number that is not a number shows
// "Datenfeld %s: "%s" ist kein gültiger Zahlwert." and answers empty; a date that is not a date
// raises ConversionError "'%s' ist kein gültiges Datum". A date criterion selects that whole
// day: field >= d AND field < d + 1.
QString CriterionToSql(TDModul& dm, const SqlRecordSet& records, const SqlField& field, const QString& criterion);
QString CriterionToSql(TDModul& dm, const SqlRecordSet& records, const QString& fieldName, const QString& criterion);

// The condition of a ticked check box (without the trailing " AND "): field = "T"/"F" for a
// text field, = True/False for a boolean one. Any other kind logs "The boolean field "NAME" is
// not BOOLEAN or CHAR(1)." and answers empty: it restricts nothing.
QString BooleanCondition(TDModul& dm, const SqlField& field, bool state);

// The condition of the selected project (without " AND "): the project itself and its
// sub-projects, PROJECT = 'A' OR PROJECT LIKE 'A\%'; empty for no project. "_" and "%" in the
// path are matched as themselves.
QString ProjectCondition(const QString& projectPath, QChar quoteChar);
