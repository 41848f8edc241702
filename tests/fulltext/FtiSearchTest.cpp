#include "fulltext/FtiSearch.h"
#include "FtiFixture.h"
#include "platform/Errors.h"
#include "platform/db/DateSerial.h"
#include "platform/db/SqlConnection.h"

namespace {
class FtiSearchTest : public FtiFixture
{
protected:
    void index(qint64 key, const QString& text)
    {
        TFtiWordList list;
        words->SplitWords(text, list);
        for (const QString& word : list.words())
            words->AddWordToDocument(dm->AdoConnectDoc, word, key, true, false);
    }
    QString condition(const QString& text, const char* op = "AND")
    {
        QStringList ignored;
        return WordsToCondition(dm->AdoConnectDoc, PrepareSearchWords(*words, text, ignored), QLatin1String(op));
    }
    using Control = TSearchPanelInput::Control;
    QString where(const TSearchPanelInput& input)
    {
        return BuildSearchCondition(*dm, *words, dm->AdoQueryDoc, input).where;
    }
};
} // namespace

TEST_F(FtiSearchTest, WordsArePrefixesJoinedByOperator)
{
    index(1, QStringLiteral("Hausarzt Termin"));
    index(2, QStringLiteral("Haustür Schloss"));
    index(3, QStringLiteral("Garten Termin"));
    index(9, QStringLiteral("Haus"));
    index(10, QStringLiteral("Haus Garten"));
    index(100, QStringLiteral("Haus"));
    const std::pair<const char*, const char*> andCases[] = {
        {"haus", "DOCID IN (1,10,100,2,9)"},
        {"Haus Termin", "DOCID=1"},
        {"hau*", "DOCID IN (1,10,100,2,9)"},
        {"haustür", "DOCID=2"},
        {"HAUSTUER", "DOCID=2"},
        {"nirgends haus", "DOCID=0"},
        {"garten termin", "DOCID=3"},
        {"der", "DOCID=0"},
        {"***\"\"", "DOCID=0"},
        {"", "DOCID=0"},
    };
    for (const auto& [text, expected] : andCases)
        EXPECT_EQ(condition(QString::fromUtf8(text)).toStdString(), expected) << text;
    EXPECT_EQ(condition(QStringLiteral("schloss hausarzt"), "OR"), QStringLiteral("DOCID IN (1,2)"));
    EXPECT_EQ(condition(QStringLiteral("nirgends garten"), "or"), QStringLiteral("DOCID IN (10,3)"));
}

TEST_F(FtiSearchTest, LongWordsAreFoundByTheirWholeText)
{
    const QString longWord = QString(40, QLatin1Char('x'));
    index(5, longWord);
    EXPECT_EQ(condition(longWord), QStringLiteral("DOCID=5"));
    index(6, QString(1000, QLatin1Char('y')));
    EXPECT_EQ(condition(QString(1000, QLatin1Char('y'))), QStringLiteral("DOCID=6"));
}

TEST_F(FtiSearchTest, IgnoredWordsAreNamedInTheHint)
{
    QStringList ignored;
    const TFtiWordList list = PrepareSearchWords(*words, QStringLiteral("Haus ab der haus"), ignored);
    EXPECT_EQ(list.words(), QStringList{QStringLiteral("haus")});
    EXPECT_EQ(
        IgnoredWordsHint(ignored), QStringLiteral("\"ab,der,haus\" wurde bei der Suche im Volltextindex ignoriert."));
}

TEST_F(FtiSearchTest, PanelInputsComposeTheWhereClause)
{
    index(7, QStringLiteral("Rechnung"));
    const double day = DateSerial::fromDate(QDate(2004, 5, 17)) + 0.75;
    struct Case
    {
        const char* name;
        TSearchPanelInput input;
        const char* where;
        const char* ignored;
    };
    auto text = [](const char* field, const char* value) {
        return Control{Control::Kind::Text, QLatin1String(field), QString::fromUtf8(value), false, 0};
    };
    auto check = [](const char* field, bool on) {
        return Control{Control::Kind::CheckBox, QLatin1String(field), QString(), on, 0};
    };
    auto date = [](const char* field, bool on, double serial) {
        return Control{Control::Kind::DatePicker, QLatin1String(field), QString(), on, serial};
    };
    std::vector<Case> cases;
    cases.push_back({"empty panel", {}, "", ""});
    {
        TSearchPanelInput in;
        in.fullTextVisible = true;
        in.fullText = QStringLiteral("rech* der");
        cases.push_back({"full text", in, "WHERE DOCID=7", "der"});
        in.fullText = QStringLiteral("der ab");
        cases.push_back({"full text of ignored words only", in, "", "der,ab"});
        in.fullTextVisible = false;
        in.fullText = QStringLiteral("rechnung");
        cases.push_back({"hidden full text box", in, "", ""});
    }
    {
        TSearchPanelInput in;
        in.typeFilter = true;
        in.typeKey = QStringLiteral(".pdf");
        in.controls = {text("NAME", "Brief*"), text("NOSUCHFIELD", "x"), text("DOCID", "!3")};
        cases.push_back({"type and criteria", in, "WHERE APPLNAME='.pdf' AND NAME LIKE 'Brief%' AND DOCID != 3", ""});
    }
    {
        TSearchPanelInput in;
        in.controls = {date("CREATEDATE", true, day), date("EDITDATE", false, day), check("USERNAME", true),
            check("FAVORITE", true), check("DOCID", true), check("FAVORITE", false)};
        cases.push_back(
            {"pickers and check boxes", in, "WHERE CREATEDATE >= 38124 AND USERNAME = 'anna' AND FAVORITE = 'T'", ""});
    }
    {
        TSearchPanelInput in;
        in.selectedProject = QStringLiteral("Kunden");
        cases.push_back({"project", in, "WHERE (PROJECT = 'Kunden' OR PROJECT LIKE 'Kunden\\%' ESCAPE '!')", ""});
        in.controls = {text("NAME", "A")};
        cases.push_back({"criterion and project", in,
            "WHERE NAME LIKE 'A%' AND (PROJECT = 'Kunden' OR PROJECT LIKE 'Kunden\\%' ESCAPE '!')", ""});
        in.hasProjectFieldControl = true;
        in.controls = {text("PROJECT", "Kunden")};
        cases.push_back({"navigator path in the project control", in,
            "WHERE (PROJECT = 'Kunden' OR PROJECT LIKE 'Kunden\\%' ESCAPE '!')", ""});
        in.controls = {text("PROJECT", "Kun")};
        cases.push_back({"typed project criterion instead of the navigator", in, "WHERE PROJECT LIKE 'Kun%'", ""});
    }
    for (const Case& c : cases) {
        const TSearchCondition result = BuildSearchCondition(*dm, *words, dm->AdoQueryDoc, c.input);
        EXPECT_EQ(result.where.toStdString(), c.where) << c.name;
        EXPECT_EQ(result.ignoredWords.join(QLatin1Char(',')).toStdString(), c.ignored) << c.name;
        // Every composed clause runs.
        if (!result.where.isEmpty()) {
            EXPECT_NO_THROW(dm->AdoConnectDoc.prepare(QStringLiteral("SELECT * FROM DOCUMENT ") + result.where))
                << c.name;
        }
    }
}

TEST_F(FtiSearchTest, BadDateCriterionPassesItsErrorOn)
{
    TSearchPanelInput in;
    in.controls = {Control{Control::Kind::Text, QStringLiteral("CREATEDATE"), QStringLiteral("gestern"), false, 0}};
    EXPECT_THROW(where(in), ConversionError);
}
