#include "DocumentQuery.h"

#include "archive/DataMod.h"
#include "platform/Errors.h"

namespace {
// Suspends the record set's change notifications and tells the observer, on every path.
class RunScope
{
public:
    RunScope(SqlRecordSet& records, DocumentQuery::Observer* observer)
        : m_records(records)
        , m_observer(observer)
    {
        m_records.disableControls();
        if (m_observer) {
            m_observer->runStarting();
            m_observer->statusText(QStringLiteral("Datenbank wird durchsucht") + QStringLiteral("..."));
        }
    }
    ~RunScope()
    {
        if (m_observer) {
            m_observer->statusText(QString());
            m_observer->runFinished();
        }
        m_records.enableControls();
    }

private:
    SqlRecordSet& m_records;
    DocumentQuery::Observer* m_observer;
};
} // namespace

QStringList DocumentQuery::selectLines(const QString& condition, const QString& order)
{
    QStringList lines{QStringLiteral("SELECT *"), QStringLiteral("FROM DOCUMENT")};
    if (!condition.isEmpty())
        lines << condition;
    if (!order.isEmpty())
        lines << order;
    return lines;
}

bool DocumentQuery::returnsRows(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n')).toUpper().contains(QLatin1String("SELECT"));
}

bool DocumentQuery::RunSelect(const QString& condition, const QString& order)
{
    return ExecuteDocQuery(selectLines(condition, order), Mode::Open);
}

void DocumentQuery::restorePrevious()
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    records.close();
    records.setSql(m_dm.PreviousQuery);
    if (!m_dm.PreviousQuery.join(QString()).trimmed().isEmpty())
        records.open();
}

bool DocumentQuery::ExecuteDocQuery(const QStringList& input, Mode mode)
{
    SqlRecordSet& records = m_dm.AdoQueryDoc;
    QStringList lines;
    lines.reserve(input.size());
    for (const QString& line : input) {
        const std::optional<QString> expanded = m_dm.ExpandLine(line);
        if (!expanded)
            return false; // a cancelled macro cancels its statement; the current one stays
        lines << *expanded;
    }

    RunScope scope(records, m_observer);
    records.close();
    m_dm.PreviousQuery = records.sql();
    records.setSql(lines);

    if (mode == Mode::Decide)
        mode = returnsRows(lines) ? Mode::Open : Mode::Execute;

    if (mode == Mode::Open) {
        try {
            records.open();
            return true;
        } catch (const DxError& error) {
            m_dm.ShowErrorAndLog(
                error.message() + QLatin1Char('\r') + QStringLiteral("Die letzte Suche wird wiederhergestellt."));
            restorePrevious();
            return false;
        }
    }

    bool ok = true;
    try {
        m_dm.AdoConnectDoc.execute(lines);
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(error.message());
        ok = false;
    }
    restorePrevious();
    return ok;
}
