#include "documents/WwwAdrDlg.h"

#include "documents/ShellIntegration.h"
#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
constexpr int kHelpTopic = 1016;
}

TwwwAdrDlgForm::TwwwAdrDlgForm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("wwwAdrDlgForm"));
    setWindowTitle(tr("Internet-Adresse öffnen"));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* intro = new QLabel(
        tr("Geben Sie die Adresse eines Dokumentes oder Computers im Internet ein, das bzw. der geöffnet werden soll."),
        this);
    intro->setWordWrap(true);
    LabelExample = new QLabel(
        tr("Internetadressen beginnen in der Regel mit") + QStringLiteral(" \"") + WebAddressStub + QLatin1Char('"'),
        this);
    LabelExample->setObjectName(QStringLiteral("LabelExample"));
    auto* addressLabel = new QLabel(tr("Adresse:"), this);
    EditURL = new QLineEdit(WebAddressStub, this);
    EditURL->setObjectName(QStringLiteral("EditURL"));
    EditURL->setToolTip(tr("Internetadresse oder HTML-Datei"));
    EditURL->setMinimumWidth(320);
    addressLabel->setBuddy(EditURL);

    BtnOk = new QPushButton(tr("&OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BtnOpenFile = new QPushButton(tr("Datei ö&ffnen..."), this);
    BtnOpenFile->setObjectName(QStringLiteral("BtnOpenFile"));
    BtnOpenFile->setToolTip(tr("Durchsuchen"));
    BtnCancel = new QPushButton(tr("&Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnHelp = new QPushButton(tr("&Hilfe"), this);
    BtnHelp->setObjectName(QStringLiteral("BtnHelp"));
    BtnHelp->setAutoDefault(false);
    BtnOpenFile->setAutoDefault(false);
    BtnCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(icon, 0, 0, 2, 1);
    grid->addWidget(intro, 0, 1, 1, 2);
    grid->addWidget(LabelExample, 1, 1, 1, 2);
    grid->addWidget(addressLabel, 2, 0);
    grid->addWidget(EditURL, 2, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {BtnOk, BtnOpenFile, BtnCancel, BtnHelp})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnOpenFile, &QPushButton::clicked, this, &TwwwAdrDlgForm::BtnOpenFileClick);
    connect(BtnHelp, &QPushButton::clicked, this, [this] {
        if (HelpHandler)
            HelpHandler(kHelpTopic);
    });
}

void TwwwAdrDlgForm::BtnOpenFileClick()
{
    Dialogs::FileRequest request;
    request.filters = {{tr("HTLM-Dokumente (*.htm;*.html)"), QStringLiteral("*.htm;*.html")},
        {tr("Alle Dateien (*.*)"), QStringLiteral("*")}};
    request.mustExist = true;
    const QString text = EditURL->text();
    if (!text.startsWith(WebAddressStub.left(7), Qt::CaseInsensitive) && !text.isEmpty()) {
        if (text.contains(QLatin1Char('/'))) {
            const QFileInfo info(text);
            request.folder = info.absolutePath() + QLatin1Char('/');
            request.fileName = info.fileName();
        } else {
            request.fileName = text;
        }
    }
    const std::optional<QString> file = m_dialogs.openFileName(request);
    if (file && !file->isEmpty())
        EditURL->setText(*file);
}

std::optional<QString> TwwwAdrDlgForm::Execute(
    Dialogs& dialogs, const QString& address, QWidget* parent, const std::function<void(int)>& help)
{
    TwwwAdrDlgForm form(dialogs, parent);
    form.HelpHandler = help;
    if (!address.isEmpty())
        form.EditURL->setText(address);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.EditURL->text();
}
