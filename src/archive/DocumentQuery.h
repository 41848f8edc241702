#pragma once

#include <QString>
#include <QStringList>

class TDModul;

// The runner of the document query: every statement that fills the catalogue view goes through
// it, from the search panel, the navigator, the SQL window, the import and doxarel-cli. A failing
// statement is reported and the previous one runs again.
class DocumentQuery
{
public:
    enum class Mode { Decide = 0, Open = 1, Execute = 2 };

    // What a window adds around a run: the wait cursor and the status text.
    class Observer
    {
    public:
        virtual ~Observer() = default;
        virtual void runStarting() { }
        virtual void statusText(const QString&) { }
        virtual void runFinished() { }
    };

    explicit DocumentQuery(TDModul& dataModule)
        : m_dm(dataModule)
    {
    }
    void setObserver(Observer* observer) { m_observer = observer; }

    // Runs the lines (each expanded by the macro interpreter first). Answers true when the new
    // statement ran; false when it failed, was reported, and the previous statement was restored,
    // and false when the user cancelled a macro of a line (nothing runs, the current result stays).
    bool ExecuteDocQuery(const QStringList& lines, Mode mode = Mode::Decide);
    // "SELECT *", "FROM DOCUMENT", then the condition and order lines when not empty.
    bool RunSelect(const QString& condition, const QString& order = {});

    static QStringList selectLines(const QString& condition, const QString& order = {});
    // The deciding rule: a text that contains SELECT returns rows.
    static bool returnsRows(const QStringList& lines);

private:
    void restorePrevious();

    TDModul& m_dm;
    Observer* m_observer = nullptr;
};
