#pragma once

#include <QList>
#include <QMenu>
#include <QModelIndex>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

#include <functional>

class Dialogs;
class DocumentRecords;
class QAction;
class QMenu;
class QPoint;
class QWidget;
class SqlRecordSet;
class TDModul;
class TVxTreeView;

// The editing commands of the project navigator: new entries, sub-entries, renaming and deleting
// projects in the tree, expanding and collapsing it, and its popup menu. Every change is written
// back to the in-memory choice list "Project" and stored in ITEMLISTS; afterwards the window is
// told to refresh its choice list controls and to reload the navigator.
class TProjectNavigatorCommands : public QObject
{
    Q_OBJECT

public:
    // searchCommand becomes the popup's default item and showNavigator its show/hide item; either
    // may be null, and is then left out of the popup.
    TProjectNavigatorCommands(TVxTreeView& navigator, Dialogs& dialogs, TDModul& dataModule,
        QAction* searchCommand = nullptr, QAction* showNavigator = nullptr, QObject* parent = nullptr);
    ~TProjectNavigatorCommands() override;

    // Called once the project list is stored: the window runs RefreshChoiceListControls for the
    // properties dialog and for itself, then reloads the navigator.
    void SetChoiceListsChanged(std::function<void()> changed) { m_choiceListsChanged = std::move(changed); }

    // Reloads the tree from the in-memory choice list "Project" and selects the project selected
    // before (the first node when it is gone); no selection change is reported. Does nothing
    // without that list. A level gap in the list raises DxError.
    void LoadPrjNavItems();
    // Writes the tree back to the choice list "Project" and stores every choice list; does nothing
    // without that list. Raises DbError when the lists cannot be stored.
    void SavePrjNavItems();

    void MPrjNavNewItemClick();
    void MPrjNavNewSubItemClick();
    void MPrjNavEditItemClick();
    void MPrjNavDelItemClick();
    void MPrjNavFullExpandClick();
    void MPrjNavFullCollapseClick();
    // Enables the commands of the "&Projekte" submenu for the selected node.
    void PopupPrjNavPopup();

    QMenu* PopupPrjNav() const { return m_popup; }
    // Shows the popup for right clicks on the widget (the navigator and its panel).
    void InstallPopup(QWidget* widget);

    QAction* MPrjNavDbSelect = nullptr; // hidden
    QAction* MPrjNavFullExpand = nullptr;
    QAction* MPrjNavFullCollapse = nullptr;
    QMenu* MPrjNavProjects = nullptr;
    QAction* MPrjNavNewItem = nullptr;
    QAction* MPrjNavNewSubItem = nullptr;
    QAction* MPrjNavEditItem = nullptr;
    QAction* MPrjNavDelItem = nullptr;

    // The declared width of "PROJECT" in the document record set; 0 when it cannot be determined.
    static int ProjectFieldLength(const SqlRecordSet& documents);
    // The message refusing a new or changed entry, or an empty text when prefix + value may be
    // stored (a maximum length of 0 means no limit).
    static QString EntryError(const QString& prefix, const QString& value, int maximumLength);

private:
    // The selected node when it is a project (not the first node), else an invalid index.
    QModelIndex selectedProjectNode() const;
    // The path of the node's parent followed by "\", empty at the top level.
    QString parentPrefix(const QModelIndex& node) const;
    // Shows the refusal of an entry; true when the entry may be used.
    bool validate(const QString& prefix, const QString& value);
    // Stores the tree and reports a failure.
    void saveReporting();
    void reportError(const QString& text);

    TVxTreeView& m_tree;
    Dialogs& m_dialogs;
    TDModul& m_dm;
    std::function<void()> m_choiceListsChanged;
    QPointer<QMenu> m_popup; // owned by the navigator, deleted with this object
};

// After a choice list changed: every combo box and tree combo box below the window whose hint
// names a field (the part before "|") gets its items again from that field's in-memory choice
// list, when there is one.
void RefreshChoiceListControls(QWidget* window, DocumentRecords& records);

// Moves documents to a project: for each record number (0-based, of the document record set) the
// record is edited, "PROJECT" set to the path and saved through the record rules. Display updates
// stay suspended meanwhile and are restored on every path; a record whose saving fails is not
// changed and the error passes on, the records before it stay saved. A save the record rules
// abort ends the moving. Afterwards the record that was current before is current again. Answers
// the number of records saved.
int MoveDocumentsToProject(SqlRecordSet& documents, const QList<int>& recordNumbers, const QString& path);
// The same for any fields: each record gets the values (field name, text) and is saved.
int AssignToDocuments(
    SqlRecordSet& documents, const QList<int>& recordNumbers, const QList<QPair<QString, QString>>& values);

// Whether documents dragged over the navigator may be dropped on the node under the mouse: only
// rows dragged from the grid, and only onto a node other than the first node.
bool AcceptsDocumentDrop(const TVxTreeView& navigator, const QModelIndex& nodeUnderMouse, bool fromGrid);
