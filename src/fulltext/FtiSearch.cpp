#include "FtiSearch.h"

#include "archive/DataMod.h"
#include "archive/SearchCriteria.h"
#include "mainwindow/dialogs/Helpers.h"
#include "platform/db/SqlConnection.h"
#include "platform/db/SqlRecordSet.h"

#include <QSet>

#include <algorithm>
#include <cmath>

TFtiWordList PrepareSearchWords(const TFtiWords& words, const QString& text, QStringList& ignored)
{
    TFtiWordList list;
    words.SplitWords(ExpandWildcards(text), list, &ignored);
    return list;
}

QString IgnoredWordsHint(const QStringList& ignored)
{
    return QStringLiteral("\"%1\" wurde bei der Suche im Volltextindex ignoriert.").arg(ignored.join(QLatin1Char(',')));
}

QString WordsToCondition(SqlConnection& connection, const TFtiWordList& list, const QString& op)
{
    const QString empty = QStringLiteral("DOCID=0");
    if (list.isEmpty())
        return empty;
    const bool all = op.compare(QLatin1String("AND"), Qt::CaseInsensitive) == 0;
    // Stored words hold only lower-case letters and digits, so the words beginning with a prefix
    // are the range from the prefix to the prefix followed by "~", an index range on FTIWORD.
    const QString sql = QStringLiteral("SELECT DISTINCT ID.DOCID FROM FTIWID ID, FTIWORD W WHERE ID.WORDID = W.WORDID "
                                       "AND W.WORD >= ? AND W.WORD < ?");
    QSet<QString> result;
    bool first = true;
    for (const QString& word : list.words()) {
        QSet<QString> keys;
        auto statement = connection.prepare(sql);
        statement->bind(1, word);
        statement->bind(2, word + QLatin1Char('~'));
        while (statement->step())
            keys.insert(QString::number(statement->value(0).toLongLong()));
        statement.reset();
        if (!all) {
            result.unite(keys);
        } else if (first) {
            result = std::move(keys);
        } else {
            result.intersect(keys);
        }
        first = false;
        if (all && result.isEmpty())
            return empty;
    }
    if (result.isEmpty())
        return empty;
    QStringList sorted(result.begin(), result.end());
    std::sort(sorted.begin(), sorted.end());
    if (sorted.size() == 1)
        return QStringLiteral("DOCID=") + sorted.front();
    return QStringLiteral("DOCID IN (") + sorted.join(QLatin1Char(',')) + QLatin1Char(')');
}

TSearchCondition BuildSearchCondition(
    TDModul& dm, const TFtiWords& words, const SqlRecordSet& records, const TSearchPanelInput& input)
{
    TSearchCondition result;
    QString where = QStringLiteral("WHERE ");
    const QString andText = QStringLiteral(" AND ");
    if (input.fullTextVisible && !input.fullText.isEmpty()) {
        const TFtiWordList list = PrepareSearchWords(words, input.fullText, result.ignoredWords);
        if (!list.isEmpty())
            where += WordsToCondition(dm.AdoConnectDoc, list, QStringLiteral("AND")) + andText;
    }
    if (input.typeFilter)
        where += QStringLiteral("APPLNAME=") + QuoteSql(input.typeKey, dm.Settings.QuoteChar) + andText;
    for (const TSearchPanelInput::Control& control : input.controls) {
        const int index = records.fieldIndex(control.field);
        if (index < 0)
            continue;
        const SqlField& field = records.fields()[size_t(index)];
        switch (control.kind) {
        case TSearchPanelInput::Control::Kind::Text:
            // The navigator's path in the project box selects the project and its sub-projects, as
            // the navigator itself does; a text typed there is a criterion like any other.
            if (input.hasProjectFieldControl && !input.selectedProject.isEmpty()
                && field.name.compare(QLatin1String("PROJECT"), Qt::CaseInsensitive) == 0
                && control.text == input.selectedProject)
                where += ProjectCondition(input.selectedProject, dm.Settings.QuoteChar) + andText;
            else
                where += CriterionToSql(dm, records, field, control.text);
            break;
        case TSearchPanelInput::Control::Kind::DatePicker:
            if (control.checked)
                where += field.name + QStringLiteral(" >= ") + QString::number(qint64(std::floor(control.date)))
                    + andText;
            break;
        case TSearchPanelInput::Control::Kind::CheckBox:
            if (!control.checked)
                break;
            if (field.name.compare(QLatin1String("USERNAME"), Qt::CaseInsensitive) == 0) {
                where += QStringLiteral("USERNAME = ") + QuoteSql(dm.userName(), dm.Settings.QuoteChar) + andText;
            } else {
                const QString condition = BooleanCondition(dm, field, true);
                if (!condition.isEmpty())
                    where += condition + andText;
            }
            break;
        }
    }
    if (!input.hasProjectFieldControl)
        where += ProjectCondition(input.selectedProject, dm.Settings.QuoteChar);
    if (where.endsWith(andText))
        where.chop(andText.size());
    if (where.endsWith(QLatin1String("WHERE ")))
        where.chop(6);
    result.where = where;
    return result;
}
