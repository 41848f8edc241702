#pragma once

#include <QMainWindow>

#include <functional>

#include "archive/DocumentQuery.h"

class DocumentGridModel;
class QSplitter;
class TVxTreeView;
class TDravonelDocument;
class ProgramCore;
class QAction;
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
    // Runs the search with the selected project (the search panel adds its criteria later).
    void ActSearchExecuteExecute();
    void ActViewEndGroupingExecute();

    // The recent archives: bare file names in the default archive folder, newest first, at most 3.
    static QStringList AddRecentArchive(QStringList list, const QString& name);
    const QStringList& recentArchives() const { return m_recentArchives; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void StartUp();
    void RegisterUserName();
    void saveGridLayout();
    void restoreGridLayout();
    void FirstRunSetup();
    void logQuietly(const QString& text);
    void ActFileDBNewExecute();
    void ActFileDbOpenExecute();
    void ActFileDbCloseExecute();
    void createActions();
    void rebuildRecentArchivesMenu();
    void MFileLastOpenedArchivesClick(const QString& entry);
    void openArchiveReporting(const QString& path);
    void createNoArchivePanel();
    void showAllDocuments();
    void showQueryResult(const QString& title);
    void UpdateTableInfo();
    void showHeaderPopup(const QPoint& position);
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
    QLabel* m_groupPanel = nullptr;
    QWidget* PanelProjectNav = nullptr;
    TVxTreeView* ProjectNavigator = nullptr;
    QSplitter* SplitterProjectNav = nullptr;
    std::unique_ptr<TDravonelDocument> m_currentDocument;
    QLabel* PanelTableInfo = nullptr;
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
};
