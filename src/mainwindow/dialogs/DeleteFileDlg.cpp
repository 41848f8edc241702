#include "mainwindow/dialogs/DeleteFileDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace {
QPushButton* makeButton(
    QWidget* parent, const char* name, const QString& text, const QString& hint, int helpTopic, const QRect& geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setProperty("helpTopic", helpTopic);
    button->setGeometry(geometry);
    return button;
}

QCheckBox* makeCheckBox(
    QWidget* parent, const char* name, const QString& text, const QString& hint, int helpTopic, const QRect& geometry)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(hint);
    box->setProperty("helpTopic", helpTopic);
    box->setGeometry(geometry);
    return box;
}
} // namespace

TFormDeleteFileDlg::TFormDeleteFileDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormDeleteFileDlg"));
    setWindowTitle(QStringLiteral("Bestätigen"));
    setFixedSize(463, 148);

    LabelMessage = new QLabel(this);
    LabelMessage->setObjectName(QStringLiteral("LabelMessage"));
    LabelMessage->setGeometry(8, 8, 449, 49);
    LabelMessage->setWordWrap(true);
    LabelMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    ImageWarning = new QLabel(this);
    ImageWarning->setObjectName(QStringLiteral("ImageWarning"));
    ImageWarning->setGeometry(8, 64, 32, 32);
    ImageWarning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    ImageWarning->hide();

    CBDelFiles = makeCheckBox(this, "CBDelFiles", QStringLiteral("&Datei(en) löschen"),
        QStringLiteral("Auch die Dateien vom Datenträger löschen"), 1051, QRect(48, 62, 300, 20));
    CBDelConfirm = makeCheckBox(this, "CBDelConfirm", QStringLiteral("&Einzeln bestätigen"),
        QStringLiteral("Löschen jeder Datei bestätigen"), 1052, QRect(48, 84, 300, 20));
    CBDelConfirm->setEnabled(false);

    BtnYes = makeButton(this, "BtnYes", QStringLiteral("&Ja"), QStringLiteral("Dokumente löschen"), kHelpTopic,
        QRect(208, 115, 81, 25));
    BtnNo = makeButton(this, "BtnNo", QStringLiteral("&Nein"), QStringLiteral("Dokumente nicht löschen"), 1053,
        QRect(294, 115, 81, 25));
    BtnNo->setDefault(true); // Escape answers No too (QDialog's reject)
    BtnHelp = makeButton(this, "BtnHelp", QStringLiteral("&Hilfe"), QString(), kHelpTopic, QRect(380, 115, 77, 25));

    connect(CBDelFiles, &QCheckBox::toggled, this, &TFormDeleteFileDlg::CBDelFilesClick);
    connect(CBDelConfirm, &QCheckBox::toggled, this, &TFormDeleteFileDlg::UpdateWarning);
    connect(BtnYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnNo, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnHelp, &QPushButton::clicked, this, &TFormDeleteFileDlg::BtnHelpClick);
}

Dialogs::Button TFormDeleteFileDlg::AskDelete(const QString& question)
{
    LabelMessage->setText(question);
    const int result = exec();
    CBDelFiles->setEnabled(true);
    return result == QDialog::Accepted ? Dialogs::Yes : Dialogs::No;
}

void TFormDeleteFileDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (const QScreen* where = screen())
            move(where->availableGeometry().center() - rect().center());
        if (!CBDelFiles->isEnabled())
            CBDelFiles->setChecked(false);
        UpdateWarning();
        BtnNo->setFocus();
    }
    QDialog::showEvent(event);
}

void TFormDeleteFileDlg::CBDelFilesClick()
{
    CBDelConfirm->setEnabled(CBDelFiles->isChecked());
    UpdateWarning();
}

void TFormDeleteFileDlg::UpdateWarning()
{
    ImageWarning->setVisible(CBDelFiles->isChecked() && !CBDelConfirm->isChecked());
}

void TFormDeleteFileDlg::BtnHelpClick()
{
    m_help(kHelpTopic);
}
