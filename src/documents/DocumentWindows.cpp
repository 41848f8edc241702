#include "documents/DocumentWindows.h"

#include "documents/Document.h"
#include "documents/FileProperties.h"
#include "platform/Dialogs.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMimeDatabase>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString permissionText(QFile::Permissions p)
{
    const auto bit = [p](QFile::Permission flag, char letter) -> QString {
        return (p & flag) ? QString(QLatin1Char(letter)) : QStringLiteral("-");
    };
    return bit(QFile::ReadOwner, 'r') + bit(QFile::WriteOwner, 'w') + bit(QFile::ExeOwner, 'x')
        + bit(QFile::ReadGroup, 'r') + bit(QFile::WriteGroup, 'w') + bit(QFile::ExeGroup, 'x')
        + bit(QFile::ReadOther, 'r') + bit(QFile::WriteOther, 'w') + bit(QFile::ExeOther, 'x');
}

QString dateText(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString();
}
} // namespace

TFormFileProperties::TFormFileProperties(const QString& path, QWidget* parent)
    : QDialog(parent)
{
    const QFileInfo info(path);
    setWindowTitle(tr("Eigenschaften von %1").arg(info.fileName()));
    auto* layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    layout->addLayout(m_form);
    const auto row = [this](const QString& label, const QString& value) {
        auto* field = new QLabel(value, this);
        field->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_form->addRow(label, field);
    };
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    row(tr("Name:"), info.fileName());
    row(tr("Typ:"), DesktopDatabase::mimeComment(type) + QStringLiteral(" (") + type.name() + QLatin1Char(')'));
    row(tr("Ort:"), info.absolutePath());
    if (info.isSymLink())
        row(tr("Verknüpfung mit:"), info.symLinkTarget());
    row(tr("Größe:"), info.isDir() ? QString() : tr("%1 Bytes").arg(QLocale(QLocale::German).toString(info.size())));
    row(tr("Erstellt:"), dateText(info.birthTime()));
    row(tr("Geändert:"), dateText(info.lastModified()));
    row(tr("Letzter Zugriff:"), dateText(info.lastRead()));
    row(tr("Berechtigungen:"), permissionText(info.permissions()));
    row(tr("Eigentümer:"), info.owner() + QLatin1Char(':') + info.group());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString TFormFileProperties::valueOf(const QString& label) const
{
    for (int i = 0; i < m_form->rowCount(); ++i) {
        auto* name = qobject_cast<QLabel*>(m_form->itemAt(i, QFormLayout::LabelRole)->widget());
        auto* value = qobject_cast<QLabel*>(m_form->itemAt(i, QFormLayout::FieldRole)->widget());
        if (name && value && name->text() == label)
            return value->text();
    }
    return {};
}

TFormOpenWith::TFormOpenWith(
    Dialogs& dialogs, const QString& file, const QList<const DesktopDatabase::DesktopEntry*>& programs, QWidget* parent)
    : QDialog(parent)
    , m_dialogs(dialogs)
{
    setWindowTitle(tr("Öffnen mit"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        tr("Wählen Sie das Programm, mit dem \"%1\" geöffnet werden soll:").arg(QFileInfo(file).fileName()), this));
    ListPrograms = new QListWidget(this);
    ListPrograms->setIconSize(QSize(16, 16));
    const DesktopDatabase::Icons icons;
    for (const DesktopDatabase::DesktopEntry* program : programs) {
        auto* item = new QListWidgetItem(program->name.isEmpty() ? program->id : program->name, ListPrograms);
        const QImage image = icons.load(program->icon, 0, 16);
        if (!image.isNull())
            item->setIcon(QIcon(QPixmap::fromImage(image)));
        m_commands.append(program->exec);
    }
    if (ListPrograms->count() > 0)
        ListPrograms->setCurrentRow(0);
    layout->addWidget(ListPrograms);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Abbrechen"));
    QPushButton* other = buttons->addButton(tr("Andere &Anwendung..."), QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormOpenWith::acceptSelection);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(other, &QPushButton::clicked, this, &TFormOpenWith::BtnOtherClick);
    connect(ListPrograms, &QListWidget::itemDoubleClicked, this, &TFormOpenWith::acceptSelection);
}

void TFormOpenWith::acceptSelection()
{
    const int row = ListPrograms->currentRow();
    if (row < 0 || row >= m_commands.size())
        return;
    m_choice = m_commands.at(row);
    accept();
}

void TFormOpenWith::BtnOtherClick()
{
    Dialogs::FileRequest request;
    request.title = tr("Anwendung öffnen");
    request.filters = {{tr("Anwendungen (*)"), QStringLiteral("*")}};
    request.mustExist = true;
    request.folder = QStringLiteral("/usr/bin/");
    const std::optional<QString> program = m_dialogs.openFileName(request);
    if (!program || program->isEmpty())
        return;
    m_choice = *program;
    accept();
}

void InstallDocumentWindows(Dialogs& dialogs, QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    FileProperties::setHandler([owner](const QString& path) {
        TFormFileProperties window(path, owner.data());
        window.exec();
        return true;
    });
    TDravonelDocument::setOpenWithHandler(
        [&dialogs, owner](const QString& file,
            const QList<const DesktopDatabase::DesktopEntry*>& programs) -> std::optional<QString> {
            TFormOpenWith window(dialogs, file, programs, owner.data());
            if (window.exec() != QDialog::Accepted || window.Choice().isEmpty())
                return std::nullopt;
            return window.Choice();
        });
}
