#pragma once

#include "fulltext/FtiWords.h"

#include <QString>
#include <QStringList>

#include <vector>

class SqlConnection;
class SqlRecordSet;
class TDModul;

// The typed words prepared for the index: wildcards expanded, split into a word list; the words
// left out (too short, stop words, repeated, invalid) go to ignored as they were typed.
TFtiWordList PrepareSearchWords(const TFtiWords& words, const QString& text, QStringList& ignored);

// The condition on DOCID of the documents holding the words as prefixes: "DOCID=0" for none,
// "DOCID=" + key for one, "DOCID IN (…)" for several, the keys in text order. The operator is
// "AND" (every word) or anything else for "OR" (at least one). One statement runs per word; the
// intersection and union are made in memory. A failing statement raises its error.
QString WordsToCondition(SqlConnection& connection, const TFtiWordList& list, const QString& op);

// The hint that names the words left out of a full-text search.
QString IgnoredWordsHint(const QStringList& ignored);

// What the user entered in the search panel, in the order of its controls.
struct TSearchPanelInput
{
    bool fullTextVisible = false; // the index mode is not 0
    QString fullText;
    bool typeFilter = false; // a type other than the first (empty) entry is chosen
    QString typeKey;

    struct Control
    {
        enum class Kind { Text, DatePicker, CheckBox };
        Kind kind = Kind::Text;
        QString field; // the field the control searches in
        QString text; // Text
        bool checked = false; // DatePicker, CheckBox
        double date = 0; // DatePicker: a day serial
    };
    std::vector<Control> controls;

    bool hasProjectFieldControl = false; // the layout has a control on PROJECT
    // The navigator's project path (empty: all projects). With a project control, the control
    // holding exactly this path stands for the project and its sub-projects.
    QString selectedProject;
};

struct TSearchCondition
{
    QString where; // "WHERE …", or empty for no restriction
    QStringList ignoredWords; // the full-text words left out
    QString hint() const { return ignoredWords.isEmpty() ? QString() : IgnoredWordsHint(ignoredWords); }
};

// The WHERE clause of the search panel, as the window and doxarel-cli search both run it. The
// record set supplies the fields (kinds, names) and the current record; criteria on fields it
// does not have add nothing. Errors of the criteria (a date that is not a date) and of the
// index statements pass on to the caller.
TSearchCondition BuildSearchCondition(
    TDModul& dm, const TFtiWords& words, const SqlRecordSet& records, const TSearchPanelInput& input);
