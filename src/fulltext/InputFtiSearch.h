#pragma once

#include <QDialog>
#include <QString>

class ProgramSettings;
class QLineEdit;
class QRadioButton;
class QPushButton;

// "Suche im Volltextindex": asks for the words and whether every word or at least one must occur.
// Made on first use and kept, so that the text and the choice stay from one use to the next.
class TFormInputFtiSearch : public QDialog
{
    Q_OBJECT
public:
    explicit TFormInputFtiSearch(const ProgramSettings& settings, QWidget* parent = nullptr);

    // Shows the dialog modally; answers whether it was closed with OK, with the words and the
    // operator ("AND" for every word, "OR" for at least one).
    bool AskSearchWords(QString& words, QString& op);

    QLineEdit* EditWords = nullptr;
    QRadioButton* RadioAll = nullptr; // item 0 of RadioGroupOperator
    QRadioButton* RadioAny = nullptr; // item 1
    QPushButton* BtnOk = nullptr;
    QPushButton* BtnCancel = nullptr;

    QString Operator() const;

protected:
    void showEvent(QShowEvent* event) override;
};
