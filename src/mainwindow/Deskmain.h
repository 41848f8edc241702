#pragma once

#include <QMainWindow>

#include <functional>

#include "archive/DocumentQuery.h"
#include "fulltext/FtiSearch.h"

class DocumentGridModel;
class TFormInputFtiSearch;
class TSearchPanel;
class GridColumns;
class RecordViews;
class TProjectNavigatorCommands;
class QSplitter;
class TVxTreeView;
class TDravonelDocument;
class ProgramCore;
class QAction;
class QDialog;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QStackedWidget;
class QTreeView;
class TDModul;

// The main window: the archive commands, the catalogue and the status bar.
class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFormMain(ProgramCore& core, QWidget* parent = nullptr);
    ~TFormMain() override;

    void LoadArchive(const QString& path);
    bool UnloadArchive();
    void SetArchiveVisible(bool visible);
    void UpdateCaption();
    void SetStatusText(const QString& text);
    // Progress of a full-text index update in the status bar; a maximum of 0 hides it.
    void ShowIndexProgress(int maximum, int position);
    // Makes the column the last grouping level; a column the grid cannot group by is refused
    // with a status text.
    bool DBGridDocAddGroupColumn(int column);
    // The grid's current row became the current record: a new document object for it.
    void CurrentRecordChanged();
    TDravonelDocument* currentDocument() const { return m_currentDocument.get(); }
    void ActDocOpenExecute();

    // --- project navigator
    void LoadPrjNavItems();
    QString SelectedProject() const;
    // The selected project goes into the search panel's project control; with the permanent
    // search on, a search follows after the typing delay.
    void ProjectNavigatorChange();
    void ActViewEndGroupingExecute();
    void ActViewShowProjectNavExecute();
    // The column chooser: shows hidden columns again.
    void ActViewGridColCustomizExecute();
    // The editing mode of the grid: attributes edited in place.
    void ActViewGridEditingExecute();
    // Closes and opens the current archive again (after field, layout and choice-list changes);
    // false when it could not be closed.
    bool ReloadArchive();

    // --- search panel and search commands
    TSearchPanel* searchPanel() const { return PanelSearchFields; }
    // The WHERE clause of the panel; words left out of the full-text box are shown in a hint.
    TSearchCondition BuildSearchCondition();
    // Runs the panel's search. From the action (button, menu, Ctrl+S) it also ends the
    // permanent search; from the navigator it does not.
    void ActSearchExecuteExecute(bool fromAction);
    void RunPanelSearch();
    void ActSearchLockExecute();
    void ShowAllDocuments();
    void ShowAllDocumentsUnfiltered();
    // Empties the panel; a reset also shows all documents.
    void ActSearchResetExecute(bool reset);
    void ActSearchLastSearchExecute();
    void SearchOtherFields(const QString& fieldName);
    void ActSearchFulltextIndexExecute();
    void LoadLayout(const QString& file);
    void SaveSearchValues();
    void FreeLayoutControls();
    void ShowBalloonHint(const QPoint& position, const QString& text, int width);
    const QString& balloonText() const { return m_balloonText; }
    // Asks for the words of a full-text search and the operator; the index search dialog when
    // not set.
    std::function<bool(QString& words, QString& op)> AskFulltextWords;
    static QString ShortenedForTitle(const QString& value);

    // --- dragging documents onto a project and between groups
    bool ProjectNavigatorDragOver(const QPoint& position, QObject* source);
    void ProjectNavigatorDragDrop(const QPoint& position);
    bool DBGridDocDragOver(QObject* source) const;
    void DBGridDocDragDrop(const QPoint& position);
    // The values of the grouping fields of a record, as the documents moved into its group
    // receive them; read-only fields are named in a message and left out.
    QList<QPair<QString, QString>> CollectGroupValues(int record);
    TProjectNavigatorCommands* projectNavigatorCommands() const { return m_prjNav; }

    // The enabling rules of the window's commands.
    void UpdateActions();
    bool HasSelectedDocument() const;

    // The recent archives: bare file names in the default archive folder, newest first, at most 3.
    static QStringList AddRecentArchive(QStringList list, const QString& name);
    const QStringList& recentArchives() const { return m_recentArchives; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void StartUp();
    void RegisterUserName();
    void saveGridLayout();
    void saveBarLayout();
    void restoreBarLayout();
    void restoreGridLayout();
    void FirstRunSetup();
    void logQuietly(const QString& text);
    void ActFileDBNewExecute();
    void ActFileDbOpenExecute();
    void ActFileDbCloseExecute();
    QAction* makeAction(const char* name, const QString& caption, const QString& hint, const QString& category);
    void createActions();
    void createMenus();
    void rebuildOtherFieldsMenu();
    bool postPendingEdits();
    void showDocumentIcon();
    QList<int> selectedRecords() const;
    void assignToSelectedDocuments(const QList<QPair<QString, QString>>& values);
    void runSelect(const QString& title, const QString& condition);
    void rebuildRecentArchivesMenu();
    void MFileLastOpenedArchivesClick(const QString& entry);
    void openArchiveReporting(const QString& path);
    void createNoArchivePanel();
    void showQueryResult(const QString& title);
    void UpdateTableInfo();
    void showHeaderPopup(const QPoint& position);
    // The popup of a column: sorting, grouping, hiding, alignment and widths.
    void showColumnPopup(int column, const QPoint& globalPosition);
    void groupingChanged();
    // Changes the grid's grouping or sorting and keeps the selected records selected.
    void changeView(const std::function<void()>& change);
    int selectedRecordCount() const;

    ProgramCore& m_core;
    TDModul& m_dm;
    QStackedWidget* m_pages = nullptr;
    QWidget* m_noArchivePanel = nullptr;
    QTreeView* DBGridDoc = nullptr;
    DocumentGridModel* m_model = nullptr;
    QFrame* m_groupPanel = nullptr;
    QLabel* m_groupPanelText = nullptr;
    QWidget* PanelProjectNav = nullptr;
    TVxTreeView* ProjectNavigator = nullptr;
    QSplitter* SplitterProjectNav = nullptr;
    QSplitter* SplitterMain = nullptr;
    std::unique_ptr<TDravonelDocument> m_currentDocument;
    QLabel* PanelTableInfo = nullptr;
    QLabel* IconImage = nullptr;
    TSearchPanel* PanelSearchFields = nullptr;
    TProjectNavigatorCommands* m_prjNav = nullptr;
    TFormInputFtiSearch* m_ftiDialog = nullptr;
    QMenu* PopupBtnSearch = nullptr;
    QMenu* DokTablePopup = nullptr;
    QDialog* m_columnChooser = nullptr;
    QAction* ActViewGridColCustomiz = nullptr;
    QAction* ActViewGridEditing = nullptr;
    std::unique_ptr<GridColumns> m_gridColumns;
    std::unique_ptr<RecordViews> m_recordViews;
    QMenu* MSearchOtherFields = nullptr;
    QString m_balloonText;
    QAction* ActDocOpen = nullptr;
    QAction* ActSearchExecute = nullptr;
    QAction* ActSearchLock = nullptr;
    QAction* ActSearchLastSearch = nullptr;
    QAction* ActSearchFulltextIndex = nullptr;
    QAction* ActSearchCurrent = nullptr;
    QAction* ActSearchAll = nullptr;
    QAction* ActSearchClearEdits = nullptr;
    QAction* ActSearchReset = nullptr;
    QAction* ActViewShowProjectNav = nullptr;
    QAction* ActViewShowGroupPanel = nullptr;
    QAction* ActViewEndGrouping = nullptr;
    QAction* ActViewFullExpand = nullptr;
    QAction* ActViewFullCollapse = nullptr;
    QAction* ActDbNavFirst = nullptr;
    QAction* ActDbNavPrev = nullptr;
    QAction* ActDbNavNext = nullptr;
    QAction* ActDbNavLast = nullptr;
    QAction* ActFileDBNew = nullptr;
    QAction* ActFileDbOpen = nullptr;
    QAction* ActFileDbClose = nullptr;
    QAction* ActFileExit = nullptr;
    QMenu* MFileLastOpenedArchives = nullptr;
    QProgressBar* m_statusProgress = nullptr;
    QStringList m_recentArchives;
    QString m_tableTitle = QStringLiteral("Tabelle: alle Dokumente");
    QString m_countText;
    std::unique_ptr<DocumentQuery::Observer> m_queryObserver;
    bool m_started = false;
    bool m_searchPanelSized = false;
};
