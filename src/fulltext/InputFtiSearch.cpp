#include "InputFtiSearch.h"

#include "mainwindow/dialogs/FormLook.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFormInputFtiSearch::TFormInputFtiSearch(const ProgramSettings& settings, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormInputFtiSearch"));
    setWindowTitle(QStringLiteral("Suche im Volltextindex"));
    auto* layout = new QVBoxLayout(this);

    EditWords = new QLineEdit(this);
    EditWords->setObjectName(QStringLiteral("EditWords"));
    auto* label = new QLabel(QStringLiteral("Geben Sie bitte die gesuchten &Wörter ein:"), this);
    label->setBuddy(EditWords);
    layout->addWidget(label);
    layout->addWidget(EditWords);

    auto* group = new QGroupBox(QStringLiteral("Dokumente suchen, die "), this);
    group->setObjectName(QStringLiteral("RadioGroupOperator"));
    auto* groupLayout = new QVBoxLayout(group);
    RadioAll = new QRadioButton(QStringLiteral("&alle Wörter beinhalten"), group);
    RadioAny = new QRadioButton(QStringLiteral("die mindestens &ein Wort beinhalten"), group);
    groupLayout->addWidget(RadioAll);
    groupLayout->addWidget(RadioAny);
    RadioAll->setChecked(true);
    layout->addWidget(group);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    BtnOk = new QPushButton(QStringLiteral("&OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    layout->addLayout(buttons);
    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    ApplyFormFont(*this, settings);
}

QString TFormInputFtiSearch::Operator() const
{
    return RadioAny->isChecked() ? QStringLiteral("OR") : QStringLiteral("AND");
}

void TFormInputFtiSearch::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    EditWords->setFocus();
}

bool TFormInputFtiSearch::AskSearchWords(QString& words, QString& op)
{
    const bool ok = exec() == QDialog::Accepted;
    words = EditWords->text();
    op = Operator();
    return ok;
}
