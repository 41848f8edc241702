#include "ProjectNavigator.h"

#include "archive/DataMod.h"
#include "archive/DocumentRecords.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/db/SqlRecordSet.h"
#include "properties/LayoutBuilder.h"
#include "properties/VxTreeView.h"

#include <QAbstractScrollArea>
#include <QComboBox>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalBlocker>

namespace {
const QString kProjectList = QStringLiteral("Project");
const QString kProjectField = QStringLiteral("PROJECT");

// The entries of a choice list buffer (one a line, LF or CR LF), without empty lines.
QStringList linesOf(const QString& buffer)
{
    QStringList lines;
    for (QString line : buffer.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            lines << line;
    }
    return lines;
}
} // namespace

TProjectNavigatorCommands::TProjectNavigatorCommands(TVxTreeView& navigator, Dialogs& dialogs, TDModul& dataModule,
    QAction* searchCommand, QAction* showNavigator, QObject* parent)
    : QObject(parent)
    , m_tree(navigator)
    , m_dialogs(dialogs)
    , m_dm(dataModule)
{
    m_popup = new QMenu(&m_tree);
    m_popup->setObjectName(QStringLiteral("PopupPrjNav"));
    const auto command
        = [this](QMenu* menu, const QString& name, const QString& text, void (TProjectNavigatorCommands::*slot)()) {
              QAction* action = menu->addAction(text);
              action->setObjectName(name);
              connect(action, &QAction::triggered, this, slot);
              return action;
          };
    if (searchCommand) {
        m_popup->addAction(searchCommand);
        m_popup->setDefaultAction(searchCommand);
    }
    MPrjNavDbSelect = m_popup->addAction(QStringLiteral("&Datenbankauswahl"));
    MPrjNavDbSelect->setObjectName(QStringLiteral("MPrjNavDbSelect"));
    MPrjNavDbSelect->setVisible(false);
    MPrjNavFullExpand = command(m_popup, QStringLiteral("MPrjNavFullExpand"), QStringLiteral("&Knoten öffnen"),
        &TProjectNavigatorCommands::MPrjNavFullExpandClick);
    MPrjNavFullCollapse = command(m_popup, QStringLiteral("MPrjNavFullCollapse"), QStringLiteral("Knoten &schließen"),
        &TProjectNavigatorCommands::MPrjNavFullCollapseClick);
    m_popup->addSeparator();
    if (showNavigator)
        m_popup->addAction(showNavigator);
    MPrjNavProjects = m_popup->addMenu(QStringLiteral("&Projekte"));
    MPrjNavProjects->setObjectName(QStringLiteral("MPrjNavProjects"));
    MPrjNavNewItem = command(MPrjNavProjects, QStringLiteral("MPrjNavNewItem"), QStringLiteral("&Neuer Eintrag..."),
        &TProjectNavigatorCommands::MPrjNavNewItemClick);
    MPrjNavNewSubItem = command(MPrjNavProjects, QStringLiteral("MPrjNavNewSubItem"),
        QStringLiteral("Neuer &Untereintrag..."), &TProjectNavigatorCommands::MPrjNavNewSubItemClick);
    MPrjNavEditItem = command(MPrjNavProjects, QStringLiteral("MPrjNavEditItem"), QStringLiteral("Än&dern..."),
        &TProjectNavigatorCommands::MPrjNavEditItemClick);
    MPrjNavDelItem = command(MPrjNavProjects, QStringLiteral("MPrjNavDelItem"), QStringLiteral("&Löschen..."),
        &TProjectNavigatorCommands::MPrjNavDelItemClick);
    connect(m_popup, &QMenu::aboutToShow, this, &TProjectNavigatorCommands::PopupPrjNavPopup);
    connect(MPrjNavProjects, &QMenu::aboutToShow, this, &TProjectNavigatorCommands::PopupPrjNavPopup);
}

TProjectNavigatorCommands::~TProjectNavigatorCommands()
{
    delete m_popup.data();
}

void TProjectNavigatorCommands::InstallPopup(QWidget* widget)
{
    if (!widget)
        return;
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widget, &QWidget::customContextMenuRequested, m_popup, [this, widget](const QPoint& position) {
        // Scroll areas report the position in their viewport.
        const auto* area = qobject_cast<QAbstractScrollArea*>(widget);
        m_popup->popup(area ? area->viewport()->mapToGlobal(position) : widget->mapToGlobal(position));
    });
}

// --- loading and saving ---------------------------------------------------------------------

void TProjectNavigatorCommands::LoadPrjNavItems()
{
    DocumentRecords& records = m_dm.Records();
    const int list = records.choiceListIndex(kProjectList);
    if (list < 0)
        return;
    const QString selected = m_tree.SelectedPath();
    const QSignalBlocker quiet(&m_tree);
    m_tree.LoadItems(linesOf(records.ChoiceLists[list]));
    // An entry not in the list (or none) selects the first node.
    int at = -1;
    for (qsizetype i = 0; i < m_tree.Items().size() && !selected.isEmpty(); ++i) {
        if (m_tree.Items()[i].compare(selected, Qt::CaseInsensitive) == 0) {
            at = int(i);
            break;
        }
    }
    if (!m_tree.SelectAbsoluteIndex(at + 1)) {
        m_tree.setCurrentIndex(QModelIndex());
        try {
            m_dm.WriteLog(QStringLiteral("FormMain.LoadPrjNavItems: Selected := nil"));
        } catch (const IoError&) {
        }
    }
}

void TProjectNavigatorCommands::SavePrjNavItems()
{
    DocumentRecords& records = m_dm.Records();
    const int list = records.choiceListIndex(kProjectList);
    if (list < 0)
        return;
    m_tree.UpdateItemsFromTree();
    QStringList entries;
    for (const QString& entry : m_tree.Items()) {
        if (!m_tree.FirstNodeText().isEmpty() && entry == m_tree.FirstNodeText())
            continue;
        // Two nodes of the same path make one entry.
        if (!entries.isEmpty() && entries.last().compare(entry, Qt::CaseInsensitive) == 0)
            continue;
        entries << entry;
    }
    records.ChoiceLists[list] = entries.join(QLatin1Char('\n'));
    records.SaveAllItemLists();
    if (m_choiceListsChanged)
        m_choiceListsChanged();
}

void TProjectNavigatorCommands::saveReporting()
{
    try {
        SavePrjNavItems();
    } catch (const DxError& error) {
        reportError(error.message());
    }
}

void TProjectNavigatorCommands::reportError(const QString& text)
{
    try {
        m_dm.WriteLog(text);
    } catch (const IoError&) {
        // The message itself still reaches the user.
    }
    m_dialogs.error(text);
}

// --- validation -----------------------------------------------------------------------------

int TProjectNavigatorCommands::ProjectFieldLength(const SqlRecordSet& documents)
{
    if (!documents.isActive() || !documents.hasField(kProjectField))
        return 0;
    return qMax(0, documents.field(kProjectField).size);
}

QString TProjectNavigatorCommands::EntryError(const QString& prefix, const QString& value, int maximumLength)
{
    if (value.contains(QLatin1Char('\\')))
        return QStringLiteral("Ungültiges Zeichen \"%1\".").arg(QLatin1Char('\\'));
    if (maximumLength > 0 && prefix.size() + value.size() > maximumLength)
        return QStringLiteral(
            "Das Datenbankfeld hat eine maximale Länge von %1 Zeichen. Der eingegebene Eintrag ist zu "
            "lang.")
            .arg(maximumLength);
    return {};
}

bool TProjectNavigatorCommands::validate(const QString& prefix, const QString& value)
{
    const QString error = EntryError(prefix, value, ProjectFieldLength(m_dm.AdoQueryDoc));
    if (error.isEmpty())
        return true;
    m_dialogs.error(error);
    return false;
}

QModelIndex TProjectNavigatorCommands::selectedProjectNode() const
{
    const QModelIndex node = m_tree.currentIndex();
    return node.isValid() && !m_tree.IsFirstNode(node) ? node : QModelIndex();
}

QString TProjectNavigatorCommands::parentPrefix(const QModelIndex& node) const
{
    const QModelIndex parent = node.parent();
    return parent.isValid() ? m_tree.NodePath(parent) + m_tree.Separator() : QString();
}

// --- commands -------------------------------------------------------------------------------

void TProjectNavigatorCommands::MPrjNavNewItemClick()
{
    const std::optional<QString> value
        = m_dialogs.inputText(QStringLiteral("Hinzufügen"), QStringLiteral("Neuer Eintrag"), QString());
    if (!value || value->isEmpty())
        return;
    const QModelIndex selected = m_tree.currentIndex();
    if (!validate(parentPrefix(selected), *value))
        return;
    m_tree.AddSibling(selected, *value);
    saveReporting();
}

void TProjectNavigatorCommands::MPrjNavNewSubItemClick()
{
    const QModelIndex node = selectedProjectNode();
    if (!node.isValid())
        return;
    const std::optional<QString> value
        = m_dialogs.inputText(QStringLiteral("Hinzufügen"), QStringLiteral("Neuer Untereintrag"), QString());
    if (!value || value->isEmpty())
        return;
    if (!validate(m_tree.NodePath(node) + m_tree.Separator(), *value))
        return;
    m_tree.AddChild(node, *value);
    saveReporting();
}

void TProjectNavigatorCommands::MPrjNavEditItemClick()
{
    const QModelIndex node = selectedProjectNode();
    if (!node.isValid())
        return;
    const QString old = node.data().toString();
    const std::optional<QString> value
        = m_dialogs.inputText(QStringLiteral("Eintrag ändern"), QStringLiteral("Neuer Eintrag"), old);
    if (!value || value->isEmpty() || *value == old)
        return;
    if (!validate(parentPrefix(node), *value))
        return;
    m_tree.SetNodeText(node, *value);
    saveReporting();
}

void TProjectNavigatorCommands::MPrjNavDelItemClick()
{
    const QModelIndex node = selectedProjectNode();
    if (!node.isValid())
        return;
    if (!m_dialogs.confirm(QStringLiteral("Soll \"%1\" wirklich gelöscht werden?").arg(node.data().toString())))
        return;
    // The parent of the deleted project is selected (the first node for a top-level project).
    const QPersistentModelIndex doomed(node);
    if (node.parent().isValid())
        m_tree.setCurrentIndex(node.parent());
    else
        m_tree.SelectAbsoluteIndex(0);
    m_tree.DeleteNode(doomed);
    saveReporting();
}

void TProjectNavigatorCommands::MPrjNavFullExpandClick()
{
    m_tree.FullExpand();
}

void TProjectNavigatorCommands::MPrjNavFullCollapseClick()
{
    m_tree.FullCollapse();
}

void TProjectNavigatorCommands::PopupPrjNavPopup()
{
    const bool project = selectedProjectNode().isValid();
    MPrjNavNewSubItem->setEnabled(project);
    MPrjNavEditItem->setEnabled(project);
    MPrjNavDelItem->setEnabled(project);
}

// --- choice list controls -------------------------------------------------------------------

void RefreshChoiceListControls(QWidget* window, DocumentRecords& records)
{
    if (!window)
        return;
    // Tree combo boxes are combo boxes too; SetChoiceListItems rebuilds their drop-down tree.
    for (QComboBox* box : window->findChildren<QComboBox*>()) {
        const QString field = ElementField(box);
        if (field.isEmpty())
            continue;
        const int list = records.choiceListIndex(field);
        if (list >= 0)
            SetChoiceListItems(box, linesOf(records.ChoiceLists[list]));
    }
}

// --- moving documents -----------------------------------------------------------------------

int AssignToDocuments(
    SqlRecordSet& documents, const QList<int>& recordNumbers, const QList<QPair<QString, QString>>& values)
{
    if (recordNumbers.isEmpty())
        return 0;
    const SuspendedDisplay suspended(documents);
    bool editing = false; // a change of ours is pending
    const auto restore = qScopeGuard([&] {
        if (editing && documents.isEditing())
            documents.cancel();
    });
    const int before = documents.recordNumber();
    int saved = 0;
    for (const int row : recordNumbers) {
        documents.moveTo(row); // saves a change the user left pending
        documents.edit();
        editing = true;
        for (const auto& [field, value] : values)
            documents.setText(field, value);
        if (!DocumentRecords::PostOrCancel(documents, 1))
            break; // the record rules aborted the save; the guard discards the change
        editing = false;
        ++saved;
    }
    if (before >= 0 && documents.recordNumber() != before && !documents.isEditing())
        documents.moveTo(before);
    return saved;
}

int MoveDocumentsToProject(SqlRecordSet& documents, const QList<int>& recordNumbers, const QString& path)
{
    return AssignToDocuments(documents, recordNumbers, {{kProjectField, path}});
}

bool AcceptsDocumentDrop(const TVxTreeView& navigator, const QModelIndex& nodeUnderMouse, bool fromGrid)
{
    return fromGrid && nodeUnderMouse.isValid() && !navigator.IsFirstNode(nodeUnderMouse);
}
