#include "Deskmain.h"

#include "app/ProgramCore.h"
#include "archive/ArchiveSchema.h"
#include "archive/DataMod.h"
#include "archive/DocumentKind.h"
#include "archive/DocumentQuery.h"
#include "archive/DocumentRecords.h"
#include "archive/RecordServices.h"
#include "archive/SearchCriteria.h"
#include "documents/ApplicationComboBox.h"
#include "documents/ApplicationList.h"
#include "documents/Document.h"
#include "documents/Macros.h"
#include "documents/Maintenance.h"
#include "documents/ShellIntegration.h"
#include "fulltext/FtiSearch.h"
#include "fulltext/FtiThread.h"
#include "fulltext/InputFtiSearch.h"
#include "mainwindow/DocumentGridModel.h"
#include "mainwindow/GridColumns.h"
#include "mainwindow/ProjectNavigator.h"
#include "mainwindow/SearchPanel.h"
#include "mainwindow/dialogs/StandardMessages.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/FileOperations.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "properties/DBFields.h"
#include "properties/LayoutBuilder.h"
#include "properties/VxTreeView.h"
#include "settings/RegistryKeys.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
const QString kArchiveFilterCaption = QStringLiteral("Dokumentarchive (*.dva)");

// What the window adds around a run of the document query: the wait cursor and the status text.
class WindowQueryObserver : public DocumentQuery::Observer
{
public:
    explicit WindowQueryObserver(TFormMain& window)
        : m_window(window)
    {
    }
    void runStarting() override { QApplication::setOverrideCursor(Qt::WaitCursor); }
    void statusText(const QString& text) override
    {
        m_window.SetStatusText(text);
        m_window.statusBar()->repaint();
    }
    void runFinished() override { QApplication::restoreOverrideCursor(); }

private:
    TFormMain& m_window;
};

// What the record rules tell the window: a choice list grew while a record was saved.
class WindowRecordViews : public RecordViews
{
public:
    explicit WindowRecordViews(std::function<void()> choiceListsChanged)
        : m_choiceListsChanged(std::move(choiceListsChanged))
    {
    }
    void choiceListsChanged() override { m_choiceListsChanged(); }

private:
    std::function<void()> m_choiceListsChanged;
};
} // namespace

TFormMain::TFormMain(ProgramCore& core, QWidget* parent)
    : QMainWindow(parent)
    , m_core(core)
    , m_dm(core.dm())
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(RegistryKeys::kProductTitle);
    if (const QPixmap logo(m_dm.ProgramFolder() + QStringLiteral("logo.bmp")); !logo.isNull())
        setWindowIcon(QIcon(logo));
    resize(900, 600);
    createActions();
    createMenus();

    m_pages = new QStackedWidget(this);
    createNoArchivePanel();
    auto* work = new QWidget(m_pages);
    work->setObjectName(QStringLiteral("PanelMain"));
    auto* layout = new QVBoxLayout(work);
    PanelTableInfo = new QLabel(work);
    PanelTableInfo->setObjectName(QStringLiteral("PanelTableInfo"));
    PanelTableInfo->setMinimumHeight(32);
    // The group panel: a button per grouping level; its right click shows the column's popup.
    m_groupPanel = new QFrame(work);
    m_groupPanel->setObjectName(QStringLiteral("GroupPanel"));
    m_groupPanel->setMinimumHeight(28);
    m_groupPanel->setFrameShape(QFrame::StyledPanel);
    auto* groupLayout = new QHBoxLayout(m_groupPanel);
    groupLayout->setContentsMargins(6, 2, 6, 2);
    m_groupPanelText = new QLabel(m_groupPanel);
    groupLayout->addWidget(m_groupPanelText);
    groupLayout->addStretch(1);
    DBGridDoc = new DocumentGridView(work);
    DBGridDoc->setObjectName(QStringLiteral("DBGridDoc"));
    DBGridDoc->setToolTip(QStringLiteral("Suchergebnis, Doppelklick öffnet das Dokument"));
    DBGridDoc->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridDoc->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBGridDoc->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridDoc->setUniformRowHeights(true);
    DBGridDoc->setDragEnabled(true);
    DBGridDoc->setDragDropMode(QAbstractItemView::DragOnly);
    DBGridDoc->setDefaultDropAction(Qt::CopyAction);
    DBGridDoc->viewport()->setAcceptDrops(true);
    DBGridDoc->viewport()->installEventFilter(this);
    DBGridDoc->setRootIsDecorated(false);
    DBGridDoc->setAlternatingRowColors(true);
    m_model = new DocumentGridModel(this);
    DBGridDoc->setModel(m_model);
    m_gridColumns = std::make_unique<GridColumns>(*DBGridDoc, *m_model, m_dm, m_core.fields(), m_core.applications());
    DBGridDoc->header()->setContextMenuPolicy(Qt::CustomContextMenu);
    DBGridDoc->header()->setDefaultAlignment(Qt::AlignCenter);
    connect(DBGridDoc->header(), &QWidget::customContextMenuRequested, this, &TFormMain::showHeaderPopup);
    DBGridDoc->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGridDoc, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& position) { DokTablePopup->popup(DBGridDoc->viewport()->mapToGlobal(position)); });
    // The table info line with the symbol of the current document's type at its right.
    auto* infoLine = new QWidget(work);
    auto* infoLayout = new QHBoxLayout(infoLine);
    infoLayout->setContentsMargins(0, 0, 0, 0);
    infoLayout->addWidget(PanelTableInfo, 1);
    IconImage = new QLabel(infoLine);
    IconImage->setObjectName(QStringLiteral("IconImage"));
    IconImage->setFixedSize(32, 32);
    infoLayout->addWidget(IconImage);
    layout->addWidget(infoLine);
    layout->addWidget(m_groupPanel);
    layout->addWidget(DBGridDoc);
    // The project navigator at the left of the work area.
    PanelProjectNav = new QWidget;
    PanelProjectNav->setObjectName(QStringLiteral("PanelProjectNav"));
    PanelProjectNav->setToolTip(QStringLiteral("Projektauswahl"));
    auto* navLayout = new QVBoxLayout(PanelProjectNav);
    navLayout->setContentsMargins(0, 0, 0, 0);
    navLayout->addWidget(new QLabel(QStringLiteral("  Projektnavigator"), PanelProjectNav));
    ProjectNavigator = new TVxTreeView(PanelProjectNav);
    ProjectNavigator->setObjectName(QStringLiteral("ProjectNavigator"));
    ProjectNavigator->SetFirstNodeText(QStringLiteral("[alle Projekte]"));
    navLayout->addWidget(ProjectNavigator);
    connect(ProjectNavigator, &TVxTreeView::SelectedNodeChanged, this, &TFormMain::ProjectNavigatorChange);
    connect(ProjectNavigator, &QAbstractItemView::doubleClicked, this, [this] { ActSearchExecuteExecute(false); });
    // The navigator's search runs as its double click does; its editing commands and popup.
    auto* navigatorSearch = new QAction(ActSearchExecute->text(), this);
    navigatorSearch->setObjectName(QStringLiteral("MPrjNavSearch"));
    connect(navigatorSearch, &QAction::triggered, this, [this] { ActSearchExecuteExecute(false); });
    m_prjNav = new TProjectNavigatorCommands(
        *ProjectNavigator, m_dm.dialogs(), m_dm, navigatorSearch, ActViewShowProjectNav, this);
    m_prjNav->InstallPopup(ProjectNavigator);
    m_prjNav->InstallPopup(PanelProjectNav);
    auto choiceListsChanged = [this] {
        RefreshChoiceListControls(this, m_dm.Records());
        LoadPrjNavItems();
    };
    m_prjNav->SetChoiceListsChanged(choiceListsChanged);
    m_recordViews = std::make_unique<WindowRecordViews>(choiceListsChanged);
    m_dm.Records().views = m_recordViews.get();
    // Documents dragged from the grid onto a project, and between the grid's groups.
    ProjectNavigator->viewport()->setAcceptDrops(true);
    ProjectNavigator->viewport()->installEventFilter(this);
    // The navigator at the left; at the right the search panel above the table info line and the
    // grid, each pair with its splitter.
    SplitterMain = new QSplitter(Qt::Vertical);
    SplitterMain->setObjectName(QStringLiteral("SplitterMain"));
    SplitterMain->setHandleWidth(3);
    SplitterMain->setChildrenCollapsible(false);
    PanelSearchFields = new TSearchPanel(SplitterMain);
    SplitterMain->addWidget(PanelSearchFields);
    SplitterMain->addWidget(work);
    SplitterMain->setStretchFactor(1, 1);
    AttachControl(m_core.applications(), PanelSearchFields->CoBoxApplication);
    connect(PanelSearchFields, &TSearchPanel::searchDue, this, &TFormMain::RunPanelSearch);
    connect(PanelSearchFields, &TSearchPanel::searchClicked, this, [this] { ActSearchExecuteExecute(true); });
    connect(PanelSearchFields, &TSearchPanel::lockClicked, this, &TFormMain::ActSearchLockExecute);
    connect(PanelSearchFields, &TSearchPanel::buttonPopupRequested, this,
        [this](const QPoint& position) { PopupBtnSearch->popup(position); });
    SplitterProjectNav = new QSplitter(Qt::Horizontal, m_pages);
    SplitterProjectNav->setObjectName(QStringLiteral("PanelMain"));
    SplitterProjectNav->setHandleWidth(3);
    SplitterProjectNav->addWidget(PanelProjectNav);
    SplitterProjectNav->addWidget(SplitterMain);
    SplitterProjectNav->setStretchFactor(1, 1);
    m_pages->addWidget(SplitterProjectNav);
    setCentralWidget(m_pages);
    statusBar()->setObjectName(QStringLiteral("StatusBarMain"));
    m_statusProgress = new QProgressBar(statusBar());
    m_statusProgress->setObjectName(QStringLiteral("StatusProgressBar"));
    m_statusProgress->setMaximumWidth(80);
    m_statusProgress->setTextVisible(false);
    m_statusProgress->hide();
    statusBar()->addWidget(m_statusProgress);
    SetArchiveVisible(false);

    if (!m_core.loadSettings())
        m_dm.ShowErrorAndLog(QStringLiteral("Fehler beim Lesen der Programmoptionen."));
    const TWindowCfg& w = m_dm.Settings.WindowCfg;
    if (m_dm.Settings.UserKeyExisted) {
        setGeometry(w.FormLeft, w.FormTop, w.FormWidth, w.FormHeight);
    } else {
        // A first start: top left, wide enough for the full-text box, 700 high, smaller where the
        // screen is smaller.
        const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                              : QRect(0, 0, 1024, 768);
        int initialWidth = width();
        if (m_dm.Settings.Cfg.FtiCreateMode != 0)
            initialWidth = w.PanelProjectNavWidth + SplitterProjectNav->handleWidth()
                + PanelSearchFields->EditFTI->geometry().right() + 1 + 50;
        setGeometry(10, 10, std::min(initialWidth, screen.width() - 20), std::min(700, screen.height() - 20));
    }
    PanelProjectNav->setVisible(w.PanelProjectNavVisible);
    ActViewShowProjectNav->setChecked(w.PanelProjectNavVisible);
    ActSearchLock->setChecked(w.LockSearch);
    PanelSearchFields->SetPermanent(w.LockSearch);
    ActViewShowGroupPanel->setChecked(true);
    SplitterProjectNav->setSizes({std::max(w.PanelProjectNavWidth, 1), std::max(width() - w.PanelProjectNavWidth, 1)});
    SplitterMain->setSizes({std::max(w.PanelSearchHeight, 1), std::max(height() - w.PanelSearchHeight, 1)});
    m_recentArchives = w.LastOpenedDBs.split(QLatin1Char(','), Qt::SkipEmptyParts);
    restoreBarLayout();
    rebuildRecentArchivesMenu();

    // The window's commands can be run by name from the macro language.
    for (QAction* action : findChildren<QAction*>()) {
        if (!action->objectName().startsWith(QLatin1String("Act")))
            continue;
        m_core.macros().Actions.append({action->objectName(), action->property("category").toString(), action->text(),
            [action] { action->trigger(); }});
    }
    m_core.macros().WindowTitle = [this] { return windowTitle(); };
    // The index thread reports its progress through the event loop.
    connect(
        &m_core.fulltext(), &TFtiIndex::indexProgress, this,
        [this](int total, int done) { ShowIndexProgress(total, done); }, Qt::QueuedConnection);

    m_queryObserver = std::make_unique<WindowQueryObserver>(*this);
    m_core.query().setObserver(m_queryObserver.get());
    connect(DBGridDoc->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        UpdateTableInfo();
        UpdateActions();
    });
    connect(
        DBGridDoc->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
            const int record = m_model->recordOf(current);
            if (record >= 0 && m_dm.AdoQueryDoc.isActive() && m_dm.AdoQueryDoc.recordNumber() != record)
                m_dm.AdoQueryDoc.moveTo(record);
            CurrentRecordChanged();
        });
    connect(DBGridDoc, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!m_gridColumns->isEditing() && m_model->recordOf(index) >= 0)
            ActDocOpenExecute();
    });
}

QStringList TFormMain::AddRecentArchive(QStringList list, const QString& name)
{
    if (list.contains(name))
        list.removeAll(name);
    else if (list.size() > 2)
        list.removeLast();
    list.prepend(name);
    return list;
}

void TFormMain::rebuildRecentArchivesMenu()
{
    MFileLastOpenedArchives->clear();
    for (const QString& entry : m_recentArchives) {
        QAction* action = MFileLastOpenedArchives->addAction(entry);
        connect(action, &QAction::triggered, this, [this, entry] { MFileLastOpenedArchivesClick(entry); });
    }
    MFileLastOpenedArchives->setEnabled(!m_recentArchives.isEmpty());
}

void TFormMain::MFileLastOpenedArchivesClick(const QString& entry)
{
    const QString path = m_dm.ArchiveFolder() + entry;
    if (!QFileInfo::exists(path)) {
        ShowFileNotFound(m_dm.dialogs(), path);
        return;
    }
    if (m_dm.IsIndexThreadRunning()) {
        ShowIndexBusyMessage(m_dm.dialogs());
        return;
    }
    openArchiveReporting(path);
}

void TFormMain::openArchiveReporting(const QString& path)
{
    try {
        LoadArchive(path);
    } catch (const AbortError&) {
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(QStringLiteral("Datenbank \"%1\" konnte nicht geöffnet werden.").arg(path)
            + QStringLiteral(":\r") + error.message());
        if (!m_dm.isArchiveOpen())
            ActFileDbCloseExecute();
    }
}

void TFormMain::ShowIndexProgress(int maximum, int position)
{
    if (maximum == 0) {
        m_statusProgress->hide();
        return;
    }
    m_statusProgress->show();
    m_statusProgress->setMaximum(maximum);
    m_statusProgress->setValue(position);
    m_statusProgress->setToolTip(QStringLiteral("Aktualisiere Gesamtindex: noch %1 Wörter").arg(maximum - position));
}

void TFormMain::CurrentRecordChanged()
{
    const int record = m_model->recordOf(DBGridDoc->currentIndex());
    if (!m_dm.AdoQueryDoc.isActive() || record < 0) {
        m_currentDocument.reset();
        showDocumentIcon();
        UpdateActions();
        return;
    }
    m_currentDocument = std::make_unique<TDravonelDocument>(
        m_dm, m_dm.Settings, m_core.shell(), m_dm.AdoQueryDoc, &m_dm.AdoQueryBlobs);
    showDocumentIcon();
    UpdateActions();
}

void TFormMain::showDocumentIcon()
{
    IconImage->setVisible(m_dm.Settings.Cfg.ShowIcon);
    QPixmap icon;
    if (m_currentDocument && m_dm.Settings.Cfg.ShowIcon) {
        const TDravonelApplicationList& types = m_core.applications();
        const int index = types.IndexOfKey(m_dm.AdoQueryDoc.text(QStringLiteral("APPLNAME")));
        const int image = index >= 0 ? types.Entry(index).ImageIndex : -1;
        if (image >= 0 && image < types.Images().size())
            icon = QPixmap::fromImage(
                types.Images()[image].scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    IconImage->setPixmap(icon);
}

void TFormMain::LoadPrjNavItems()
{
    try {
        m_prjNav->LoadPrjNavItems();
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(error.message());
    }
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    const bool onNavigator = watched == ProjectNavigator->viewport();
    const bool onGrid = watched == DBGridDoc->viewport();
    if (!onNavigator && !onGrid)
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const bool accept = onNavigator ? ProjectNavigatorDragOver(drag->position().toPoint(), drag->source())
                                        : DBGridDocDragOver(drag->source());
        if (accept) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (onNavigator)
            ProjectNavigatorDragDrop(drop->position().toPoint());
        else
            DBGridDocDragDrop(drop->position().toPoint());
        return true;
    }
    default: return QMainWindow::eventFilter(watched, event);
    }
}

QList<int> TFormMain::selectedRecords() const
{
    // Whole rows are selected, or single cells in the editing mode.
    QList<int> records;
    const QModelIndexList selected = m_gridColumns->isEditing() ? DBGridDoc->selectionModel()->selectedIndexes()
                                                                : DBGridDoc->selectionModel()->selectedRows();
    for (const QModelIndex& index : selected)
        if (const int record = m_model->recordOf(index); record >= 0)
            records << record;
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

bool TFormMain::ProjectNavigatorDragOver(const QPoint& position, QObject* source)
{
    const QModelIndex node = ProjectNavigator->indexAt(position);
    if (!AcceptsDocumentDrop(*ProjectNavigator, node, source == DBGridDoc))
        return false;
    if (ProjectNavigator->model()->hasChildren(node))
        ProjectNavigator->expand(node);
    return true;
}

void TFormMain::ProjectNavigatorDragDrop(const QPoint& position)
{
    const QModelIndex node = ProjectNavigator->indexAt(position);
    if (!AcceptsDocumentDrop(*ProjectNavigator, node, true))
        return;
    assignToSelectedDocuments({{QStringLiteral("PROJECT"), ProjectNavigator->NodePath(node)}});
    ProjectNavigator->viewport()->update();
}

void TFormMain::assignToSelectedDocuments(const QList<QPair<QString, QString>>& values)
{
    const QList<int> records = selectedRecords();
    if (records.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        AssignToDocuments(m_dm.AdoQueryDoc, records, values);
    } catch (const DxError& error) {
        QApplication::restoreOverrideCursor();
        m_dm.ShowErrorAndLog(error.message());
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    DBGridDoc->clearSelection();
    // The grid shows the saved values again, regrouped and recounted.
    showQueryResult(m_tableTitle);
    QApplication::restoreOverrideCursor();
}

bool TFormMain::DBGridDocDragOver(QObject* source) const
{
    return source == DBGridDoc && m_model->isGrouped() && !selectedRecords().isEmpty();
}

QList<QPair<QString, QString>> TFormMain::CollectGroupValues(int record)
{
    QList<QPair<QString, QString>> values;
    if (record < 0)
        return values;
    for (int column : m_model->groupColumns()) {
        const QString field = m_model->headerData(column, Qt::Horizontal, DocumentGridModel::FieldNameRole).toString();
        if (DocumentRecords::IsReadOnlyField(field)) {
            m_dm.dialogs().message(Dialogs::Kind::Information,
                QStringLiteral("Drag&Drop") + QStringLiteral(":") + QLatin1Char('\r')
                    + QStringLiteral("Dem Datenfeld \"%1\" kann kein Wert zugewiesen werden.")
                          .arg(m_model->caption(column)),
                Dialogs::Ok | Dialogs::Help, 502);
            continue;
        }
        values.append({field, m_model->cellText(record, column)});
    }
    return values;
}

void TFormMain::DBGridDocDragDrop(const QPoint& position)
{
    // The target is the row under the mouse, or for a group row its first document.
    QModelIndex target = DBGridDoc->indexAt(position);
    while (target.isValid() && m_model->recordOf(target) < 0 && m_model->rowCount(target) > 0)
        target = m_model->index(0, 0, target);
    const int record = m_model->recordOf(target);
    if (record < 0)
        return;
    const QList<QPair<QString, QString>> values = CollectGroupValues(record);
    if (!values.isEmpty())
        assignToSelectedDocuments(values);
}

QString TFormMain::SelectedProject() const
{
    if (!PanelProjectNav->isVisibleTo(this) && !m_dm.Settings.Cfg.PrjPreselect)
        return {};
    return ProjectNavigator->SelectedPath();
}

void TFormMain::ProjectNavigatorChange()
{
    if (PanelSearchFields->ProjectFieldControl())
        PanelSearchFields->SetProjectFieldText(ProjectNavigator->SelectedPath());
    PanelSearchFields->SearchFieldChange();
}

TSearchCondition TFormMain::BuildSearchCondition()
{
    const TSearchCondition condition = ::BuildSearchCondition(
        m_dm, m_core.fulltext().Words(), m_dm.AdoQueryDoc, PanelSearchFields->Input(SelectedProject()));
    if (!condition.ignoredWords.isEmpty()) {
        QApplication::beep();
        const QLineEdit* edit = PanelSearchFields->EditFTI;
        ShowBalloonHint(edit->mapToGlobal(QPoint(0, edit->height())), condition.hint(), edit->width());
    }
    ActSearchAll->setChecked(false);
    ActSearchCurrent->setChecked(true);
    return condition;
}

bool TFormMain::postPendingEdits()
{
    try {
        DocumentRecords::PostOrCancel(m_dm.AdoQueryDoc, 1);
        return true;
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(error.message());
        return false;
    }
}

void TFormMain::RunPanelSearch()
{
    if (!m_dm.AdoQueryDoc.isActive() || !postPendingEdits())
        return;
    try {
        const TSearchCondition condition = BuildSearchCondition();
        runSelect(QStringLiteral("Tabelle: Suchergebnis"), condition.where);
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(error.message());
    }
}

void TFormMain::ActSearchExecuteExecute(bool fromAction)
{
    if (fromAction) {
        // Searching by hand ends the permanent search.
        PanelSearchFields->SetPermanent(false);
        ActSearchLock->setChecked(false);
    }
    PanelSearchFields->SuchTimer->stop();
    RunPanelSearch();
}

void TFormMain::ActSearchLockExecute()
{
    const bool on = !PanelSearchFields->IsPermanent();
    PanelSearchFields->SetPermanent(on);
    ActSearchLock->setChecked(on);
    if (on)
        RunPanelSearch();
}

void TFormMain::runSelect(const QString& title, const QString& condition)
{
    m_core.query().RunSelect(condition);
    showQueryResult(title);
}

void TFormMain::ShowAllDocuments()
{
    if (!m_dm.AdoQueryDoc.isActive() || !postPendingEdits())
        return;
    if (m_dm.Settings.Cfg.PrjPreselect) {
        const QString condition = ProjectCondition(SelectedProject(), m_dm.Settings.QuoteChar);
        runSelect(QStringLiteral("Tabelle: Suchergebnis"),
            condition.isEmpty() ? QString() : QStringLiteral("WHERE ") + condition);
    } else {
        runSelect(QStringLiteral("Tabelle: alle Dokumente"), QString());
    }
    ActSearchAll->setChecked(true);
    ActSearchCurrent->setChecked(false);
}

void TFormMain::ShowAllDocumentsUnfiltered()
{
    runSelect(QStringLiteral("Tabelle: alle Dokumente"), QString());
    ActSearchAll->setChecked(true);
    ActSearchCurrent->setChecked(false);
}

void TFormMain::ActSearchResetExecute(bool reset)
{
    if (!postPendingEdits())
        return;
    if (reset)
        PanelSearchFields->SetPermanent(false);
    PanelSearchFields->ClearInputs(m_dm.Settings.Cfg.PrjPreselect);
    ProjectNavigator->SelectAbsoluteIndex(0);
    if (!reset)
        return;
    ShowAllDocuments();
    ActSearchAll->setChecked(true);
    if (ActSearchLock->isChecked())
        PanelSearchFields->SetPermanent(true);
    // The changes of the clearing are no reason for another search.
    PanelSearchFields->SuchTimer->stop();
}

void TFormMain::ActSearchLastSearchExecute()
{
    if (!m_dm.AdoQueryDoc.isActive())
        return;
    const QStringList previous = m_dm.PreviousQuery;
    m_core.query().ExecuteDocQuery(previous, DocumentQuery::Mode::Open);
    showQueryResult(QStringLiteral("Tabelle: letze Suche"));
}

QString TFormMain::ShortenedForTitle(const QString& value)
{
    return value.size() > 20 ? value.left(18) + QStringLiteral("...") : value;
}

void TFormMain::SearchOtherFields(const QString& fieldName)
{
    if (!m_dm.AdoQueryDoc.isActive() || !postPendingEdits())
        return;
    const QString caption = m_core.fields().CaptionOf(fieldName);
    const auto value = m_dm.dialogs().inputText(QStringLiteral("Suche nach %1").arg(caption),
        QStringLiteral("Geben Sie den gesuchten Wert für \"%1\" ein").arg(caption), QString());
    if (!value || value->trimmed().isEmpty())
        return;
    ActSearchAll->setChecked(false);
    ActSearchCurrent->setChecked(false);
    try {
        QString condition;
        if (fieldName.compare(QLatin1String("APPLNAME"), Qt::CaseInsensitive) == 0) {
            condition = m_core.applications().ApplNameCondition(*value);
        } else {
            const int index = m_dm.AdoQueryDoc.fieldIndex(fieldName);
            if (index < 0)
                return;
            condition = CriterionToSql(m_dm, m_dm.AdoQueryDoc, m_dm.AdoQueryDoc.fields()[size_t(index)], *value);
        }
        if (condition.endsWith(QLatin1String(" AND ")))
            condition.chop(5);
        runSelect(QStringLiteral("Tabelle: Suche nach %1 = \"%2\"").arg(caption, ShortenedForTitle(*value)),
            condition.isEmpty() ? QString() : QStringLiteral("WHERE ") + condition);
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(error.message());
    }
}

void TFormMain::rebuildOtherFieldsMenu()
{
    MSearchOtherFields->clear();
    const TVxDBFields& fields = m_core.fields();
    for (int position = 0; position < fields.Count(); ++position) {
        const TVxDBField& field = fields.At(position);
        if (!field.Visible || !field.ShowInSearchMenu || !m_dm.AdoQueryDoc.hasField(field.FieldName))
            continue;
        const QString name = field.FieldName;
        MSearchOtherFields->addAction(
            field.DisplayCaption() + QStringLiteral("..."), this, [this, name] { SearchOtherFields(name); });
    }
    MSearchOtherFields->setEnabled(!MSearchOtherFields->isEmpty() && m_dm.isArchiveOpen());
}

void TFormMain::ActSearchFulltextIndexExecute()
{
    if (!m_dm.AdoQueryDoc.isActive() || !postPendingEdits())
        return;
    QString text;
    QString op;
    if (AskFulltextWords) {
        if (!AskFulltextWords(text, op))
            return;
    } else {
        if (!m_ftiDialog)
            m_ftiDialog = new TFormInputFtiSearch(m_dm.Settings, this);
        if (!m_ftiDialog->AskSearchWords(text, op))
            return;
    }
    repaint();
    if (text.trimmed().isEmpty())
        return;
    ActSearchAll->setChecked(false);
    ActSearchCurrent->setChecked(false);
    QStringList ignored;
    const TFtiWordList words = PrepareSearchWords(m_core.fulltext().Words(), text, ignored);
    if (!ignored.isEmpty()) {
        QApplication::beep();
        const QToolButton* button = PanelSearchFields->BtnSearch;
        ShowBalloonHint(button->mapToGlobal(QPoint(0, 0)), IgnoredWordsHint(ignored), 200);
    }
    if (words.isEmpty())
        return;
    try {
        const QString condition = WordsToCondition(m_dm.AdoConnectDoc, words, op);
        runSelect(QStringLiteral("Tabelle: Suche im Volltextindex nach \"%1\"").arg(ShortenedForTitle(text)),
            QStringLiteral("WHERE ") + condition);
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(error.message());
    }
}

void TFormMain::ShowBalloonHint(const QPoint& position, const QString& text, int width)
{
    m_balloonText = text;
    QToolTip::showText(position,
        QStringLiteral("<div style=\"width:%1px\">%2</div>").arg(width).arg(text.toHtmlEscaped()), this, QRect(), 4000);
}

void TFormMain::LoadLayout(const QString& file)
{
    const bool fullText = m_dm.Settings.Cfg.FtiCreateMode != 0;
    PanelSearchFields->LabelFTI->setVisible(fullText);
    PanelSearchFields->EditFTI->setVisible(fullText);
    IniFile layout(file);
    if (!QFileInfo::exists(file) || !layout.load()) {
        logQuietly(QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(file));
        return;
    }
    ApplyFormSize(layout, this);
    DocumentRecords& records = m_dm.Records();
    TVxLayoutContext context;
    context.Fields = &m_core.fields();
    context.DocSource = &m_dm.AdoQueryDoc;
    context.DropDownCount = m_dm.Settings.Cfg.DropDownCount;
    context.UserList = m_dm.UserList;
    context.ChoiceList = [&records](const QString& field) -> std::optional<QString> {
        const int index = records.choiceListIndex(field);
        if (index < 0)
            return std::nullopt;
        return records.ChoiceLists[index];
    };
    context.LayoutsFolder = m_dm.LayoutsFolder();
    const Registry& user = m_core.settings().user();
    context.StoredValues = &user;
    {
        // Restoring the stored values is no reason for a search.
        const QSignalBlocker quiet(ProjectNavigator);
        PanelSearchFields->LoadLayout(layout, context);
        PanelSearchFields->RestoreFixedValues(user);
        const auto index = user.readInteger(StoredMainValuesKey(), QStringLiteral("ProjectIndex"));
        if (!index || !ProjectNavigator->SelectAbsoluteIndex(*index))
            ProjectNavigator->SelectAbsoluteIndex(0);
    }
    // At a first start the panel is as high as its controls need; later it keeps the stored height.
    if (!m_dm.Settings.UserKeyExisted && !m_searchPanelSized) {
        const int total = SplitterMain->sizes().value(0) + SplitterMain->sizes().value(1);
        const int required = PanelSearchFields->RequiredHeight();
        SplitterMain->setSizes({required, std::max(total - required, 1)});
    }
    m_searchPanelSized = true;
    if (PanelSearchFields->ProjectFieldControl() && !ProjectNavigator->SelectedPath().isEmpty())
        PanelSearchFields->SetProjectFieldText(ProjectNavigator->SelectedPath());
    PanelSearchFields->SuchTimer->stop();
}

void TFormMain::SaveSearchValues()
{
    Registry& user = m_core.settings().user();
    PanelSearchFields->SaveSearchValues(user);
    user.writeInteger(StoredMainValuesKey(), QStringLiteral("ProjectIndex"),
        std::max(0, ProjectNavigator->AbsoluteIndex(ProjectNavigator->currentIndex())));
    user.flush();
}

void TFormMain::FreeLayoutControls()
{
    PanelSearchFields->FreeLayoutControls();
}

void TFormMain::ActDocOpenExecute()
{
    // Notes and web addresses are always reachable; files and mails when their file exists.
    if (!m_currentDocument)
        return;
    const TDocTypeKind kind = KindOfKey(m_dm.AdoQueryDoc.text(QStringLiteral("APPLNAME")));
    const QString file = m_dm.AdoQueryDoc.text(QStringLiteral("FILENAME"));
    if ((kind == dtkFile || kind == dtkEmail) && !QFileInfo(file).isFile()) {
        ShowFileNotFound(m_dm.dialogs(), file);
        return;
    }
    if (kind != dtkNone)
        m_currentDocument->Open();
}

TFormMain::~TFormMain()
{
    if (m_dm.Records().views == m_recordViews.get())
        m_dm.Records().views = nullptr;
    m_core.macros().Actions.clear();
    m_core.macros().WindowTitle = nullptr;
    m_core.query().setObserver(nullptr);
}

QAction* TFormMain::makeAction(const char* name, const QString& caption, const QString& hint, const QString& category)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    const auto parts = hint.split(QLatin1Char('|'));
    action->setToolTip(parts.value(0));
    action->setStatusTip(parts.value(parts.size() > 1 ? 1 : 0));
    action->setProperty("category", category);
    return action;
}

void TFormMain::createActions()
{
    const QString file = QStringLiteral("Datei");
    ActFileDBNew = makeAction(
        "ActFileDBNew", QStringLiteral("&Neu..."), QStringLiteral("Neues Archiv|Erstellt ein neues Archiv"), file);
    connect(ActFileDBNew, &QAction::triggered, this, &TFormMain::ActFileDBNewExecute);
    ActFileDbOpen = makeAction("ActFileDbOpen", QStringLiteral("Archiv ö&ffnen..."),
        QStringLiteral("Archiv öffnen|Öffnet ein vorhandenes Archiv"), file);
    connect(ActFileDbOpen, &QAction::triggered, this, &TFormMain::ActFileDbOpenExecute);
    ActFileDbClose = makeAction("ActFileDbClose", QStringLiteral("&Schließen"),
        QStringLiteral("Archiv schließen|Schließt das geöffnete Archiv"), file);
    connect(ActFileDbClose, &QAction::triggered, this, &TFormMain::ActFileDbCloseExecute);
    ActFileExit
        = makeAction("ActFileExit", QStringLiteral("&Beenden"), QStringLiteral("Beenden|Beendet das Programm"), file);
    ActFileExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(ActFileExit, &QAction::triggered, this, &QWidget::close);

    const QString document = QStringLiteral("Dokument");
    ActDocOpen = makeAction("ActDocOpen", QStringLiteral("Ö&ffnen"),
        QStringLiteral("Öffnen|Öffnet das Dokument mit seinem Programm"), document);
    ActDocOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(ActDocOpen, &QAction::triggered, this, &TFormMain::ActDocOpenExecute);

    const QString search = QStringLiteral("Suche");
    ActSearchExecute = makeAction("ActSearchExecute", QStringLiteral("&Suchen"),
        QStringLiteral("Suchen|Sucht die Dokumente, die den Suchbegriffen entsprechen"), search);
    ActSearchExecute->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(ActSearchExecute, &QAction::triggered, this, [this] { ActSearchExecuteExecute(true); });
    ActSearchLock = makeAction("ActSearchLock", QStringLiteral("&Permanent"),
        QStringLiteral("Permanent|Sucht bei jeder Änderung der Suchbegriffe"), search);
    ActSearchLock->setCheckable(true);
    connect(ActSearchLock, &QAction::triggered, this, &TFormMain::ActSearchLockExecute);
    ActSearchLastSearch = makeAction("ActSearchLastSearch", QStringLiteral("Le&tzte Suche"),
        QStringLiteral("Letzte Suche|Wiederholt die vorige Suche"), search);
    connect(ActSearchLastSearch, &QAction::triggered, this, &TFormMain::ActSearchLastSearchExecute);
    ActSearchFulltextIndex = makeAction("ActSearchFulltextIndex", QStringLiteral("Volltext&index..."),
        QStringLiteral("Volltextindex|Sucht Wörter im Volltextindex"), search);
    ActSearchFulltextIndex->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(ActSearchFulltextIndex, &QAction::triggered, this, &TFormMain::ActSearchFulltextIndexExecute);
    ActSearchCurrent = makeAction("ActSearchCurrent", QStringLiteral("Aktue&lle Suche"),
        QStringLiteral("Aktuelle Suche|Zeigt das Ergebnis der Suchbegriffe"), search);
    ActSearchCurrent->setCheckable(true);
    connect(ActSearchCurrent, &QAction::triggered, this, [this] { RunPanelSearch(); });
    ActSearchAll = makeAction(
        "ActSearchAll", QStringLiteral("&Alle suchen"), QStringLiteral("Alle Dokumente|Zeigt alle Dokumente"), search);
    ActSearchAll->setCheckable(true);
    connect(ActSearchAll, &QAction::triggered, this, &TFormMain::ShowAllDocuments);
    ActSearchClearEdits = makeAction("ActSearchClearEdits", QStringLiteral("Suchbegriffe &löschen"),
        QStringLiteral("Suchbegriffe löschen|Leert alle Suchfelder"), search);
    connect(ActSearchClearEdits, &QAction::triggered, this, [this] { ActSearchResetExecute(false); });
    ActSearchReset = makeAction("ActSearchReset", QStringLiteral("&Zurücksetzen"),
        QStringLiteral("Zurücksetzen|Leert alle Suchfelder und zeigt alle Dokumente"), search);
    connect(ActSearchReset, &QAction::triggered, this, [this] { ActSearchResetExecute(true); });

    const QString view = QStringLiteral("Ansicht");
    ActViewShowProjectNav = makeAction("ActViewShowProjectNav", QStringLiteral("Projekt&navigator"),
        QStringLiteral("Projektnavigator|Zeigt oder verbirgt den Projektnavigator"), view);
    ActViewShowProjectNav->setCheckable(true);
    connect(ActViewShowProjectNav, &QAction::triggered, this, &TFormMain::ActViewShowProjectNavExecute);
    ActViewShowGroupPanel = makeAction("ActViewShowGroupPanel", QStringLiteral("&Gruppieren"),
        QStringLiteral("Gruppieren|Zeigt oder verbirgt die Gruppierungsleiste"), view);
    ActViewShowGroupPanel->setCheckable(true);
    connect(ActViewShowGroupPanel, &QAction::triggered, this, [this] {
        m_groupPanel->setVisible(!m_groupPanel->isVisibleTo(this));
        ActViewShowGroupPanel->setChecked(m_groupPanel->isVisibleTo(this));
    });
    ActViewEndGrouping = makeAction("ActViewEndGrouping", QStringLiteral("Gruppierung &zurücksetzen"),
        QStringLiteral("Gruppierung zurücksetzen|Hebt die Gruppierung auf"), view);
    connect(ActViewEndGrouping, &QAction::triggered, this, &TFormMain::ActViewEndGroupingExecute);
    ActViewGridEditing = makeAction("ActViewGridEditing", QStringLiteral("&Editieren"),
        QStringLiteral("Editieren|Dokumentattribute direkt in der Tabelle bearbeiten"), view);
    ActViewGridEditing->setCheckable(true);
    connect(ActViewGridEditing, &QAction::triggered, this, &TFormMain::ActViewGridEditingExecute);
    ActViewFullExpand
        = makeAction("ActViewFullExpand", QStringLiteral("Knoten öffnen"), QStringLiteral("Alle Gruppen öffnen"), view);
    connect(ActViewFullExpand, &QAction::triggered, this, [this] { DBGridDoc->expandAll(); });
    ActViewFullCollapse = makeAction(
        "ActViewFullCollapse", QStringLiteral("Knoten schließen"), QStringLiteral("Alle Gruppen schließen"), view);
    connect(ActViewFullCollapse, &QAction::triggered, this, [this] { DBGridDoc->collapseAll(); });

    ActViewGridColCustomiz = makeAction("ActViewGridColCustomiz", QStringLiteral("Spalten &hinzufügen..."),
        QStringLiteral("Spalten hinzufügen|Zeigt ausgeblendete Spalten wieder an"), view);
    connect(ActViewGridColCustomiz, &QAction::triggered, this, &TFormMain::ActViewGridColCustomizExecute);

    const QString navigation = QStringLiteral("DB Navigator");
    // First and last walk the visible rows; previous and next step from the current row.
    auto navigate = [this](int step) {
        QModelIndex target;
        const QModelIndex current = DBGridDoc->currentIndex();
        if (step == -1)
            target = DBGridDoc->indexAbove(current);
        else if (step == 1)
            target = current.isValid() ? DBGridDoc->indexBelow(current) : m_model->index(0, 0);
        else {
            target = m_model->index(0, 0);
            for (QModelIndex next = target; step == 2 && next.isValid(); next = DBGridDoc->indexBelow(next))
                target = next;
        }
        if (target.isValid())
            DBGridDoc->setCurrentIndex(target);
    };
    ActDbNavFirst = makeAction("dxBarDBNavFirst", QStringLiteral("Erstes Dokument"), QString(), navigation);
    connect(ActDbNavFirst, &QAction::triggered, this, [=] { navigate(0); });
    ActDbNavPrev = makeAction("dxBarDBNavPrev", QStringLiteral("Vorheriges Dokument"), QString(), navigation);
    connect(ActDbNavPrev, &QAction::triggered, this, [=] { navigate(-1); });
    ActDbNavNext = makeAction("dxBarDBNavNext", QStringLiteral("Nächstes Dokument"), QString(), navigation);
    connect(ActDbNavNext, &QAction::triggered, this, [=] { navigate(1); });
    ActDbNavLast = makeAction("dxBarDBNavLast", QStringLiteral("Letztes Dokument"), QString(), navigation);
    connect(ActDbNavLast, &QAction::triggered, this, [=] { navigate(2); });
}

void TFormMain::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("Da&tei"));
    file->setObjectName(QStringLiteral("MFile"));
    file->addAction(ActFileDbOpen);
    QMenu* archive = file->addMenu(QStringLiteral("&Archiv"));
    archive->setObjectName(QStringLiteral("MFileArchive"));
    archive->addAction(ActFileDBNew);
    archive->addAction(ActFileDbClose);
    file->addSeparator();
    MFileLastOpenedArchives = file->addMenu(QStringLiteral("Zuletzt geöffnete Archive"));
    MFileLastOpenedArchives->setObjectName(QStringLiteral("MFileLastOpenedArchives"));
    file->addSeparator();
    file->addAction(ActFileExit);

    QMenu* document = menuBar()->addMenu(QStringLiteral("&Dokument"));
    document->setObjectName(QStringLiteral("MDocument"));
    document->addAction(ActDocOpen);

    QMenu* search = menuBar()->addMenu(QStringLiteral("Such&en"));
    search->setObjectName(QStringLiteral("MSearch"));
    search->addActions({ActSearchExecute, ActSearchLock});
    search->addSeparator();
    search->addAction(ActSearchLastSearch);
    search->addSeparator();
    MSearchOtherFields = search->addMenu(QStringLiteral("Suche nach Feldern"));
    MSearchOtherFields->setObjectName(QStringLiteral("MSearchOtherFields"));
    search->addSeparator();
    search->addAction(ActSearchFulltextIndex);
    search->addSeparator();
    search->addActions({ActSearchCurrent, ActSearchAll});
    search->addSeparator();
    search->addActions({ActSearchClearEdits, ActSearchReset});

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Ansicht"));
    view->setObjectName(QStringLiteral("MView"));
    view->addActions({ActViewShowProjectNav, ActViewShowGroupPanel, ActViewEndGrouping, ActViewGridEditing});
    view->addSeparator();
    QMenu* customise = view->addMenu(QStringLiteral("&Anpassen"));
    customise->setObjectName(QStringLiteral("MViewCustomize"));
    customise->addAction(ActViewGridColCustomiz);

    // The bars of the default layout.
    auto bar = [this](const char* name, const QString& title, const QList<QAction*>& actions, bool visible) {
        QToolBar* toolBar = addToolBar(title);
        toolBar->setObjectName(QLatin1String(name));
        toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        toolBar->addActions(actions);
        toolBar->setVisible(visible);
        return toolBar;
    };
    bar("dxBarDocument", QStringLiteral("Dokument"), {ActDocOpen}, true);
    bar("dxBarSearch", QStringLiteral("Suche"), {ActSearchReset}, true);
    bar("dxBarView", QStringLiteral("Ansicht"), {ActViewShowGroupPanel, ActViewGridEditing}, true);
    bar("dxBarDBNavigator", QStringLiteral("Datenbank-Navigation"),
        {ActDbNavFirst, ActDbNavPrev, ActDbNavNext, ActDbNavLast}, false);

    // The grid's popup.
    DokTablePopup = new QMenu(this);
    DokTablePopup->setObjectName(QStringLiteral("DokTablePopup"));
    DokTablePopup->addAction(ActDocOpen);
    DokTablePopup->addSeparator();
    DokTablePopup->addAction(ActViewGridEditing);
    DokTablePopup->addSeparator();
    DokTablePopup->addActions({ActViewShowGroupPanel, ActViewEndGrouping, ActViewFullExpand, ActViewFullCollapse});
    DokTablePopup->addSeparator();
    DokTablePopup->addActions({ActSearchCurrent, ActSearchAll});
    connect(DokTablePopup, &QMenu::aboutToShow, this, [this] {
        ActViewFullExpand->setVisible(m_model->isGrouped());
        ActViewFullCollapse->setVisible(m_model->isGrouped());
    });
    connect(DokTablePopup, &QMenu::aboutToHide, this, [this] {
        ActViewFullExpand->setVisible(true);
        ActViewFullCollapse->setVisible(true);
    });

    // The search button's popup.
    PopupBtnSearch = new QMenu(this);
    PopupBtnSearch->setObjectName(QStringLiteral("PopupBtnSearch"));
    PopupBtnSearch->addActions({ActSearchExecute, ActSearchLock});
    PopupBtnSearch->addSeparator();
    PopupBtnSearch->addActions({ActSearchCurrent, ActSearchAll});
    PopupBtnSearch->addSeparator();
    PopupBtnSearch->addActions({ActSearchClearEdits, ActSearchReset});
}

void TFormMain::createNoArchivePanel()
{
    // The logo at the left (when the program folder has one), the message and the link beside it.
    m_noArchivePanel = new QWidget(m_pages);
    m_noArchivePanel->setObjectName(QStringLiteral("PanelNoArchive"));
    int left = 60 + 50 + 40;
    const QString logoFile = m_dm.ProgramFolder() + QStringLiteral("logo.bmp");
    const QPixmap logo(logoFile);
    if (!logo.isNull()) {
        auto* image = new QLabel(m_noArchivePanel);
        image->setPixmap(logo);
        image->setToolTip(logoFile);
        image->setGeometry(60, 80, logo.width(), logo.height());
        left = 60 + logo.width() + 40;
    }
    auto* none = new QLabel(QStringLiteral("Es ist kein Archiv geöffnet"), m_noArchivePanel);
    none->move(left, 80);
    auto* open
        = new QLabel(QStringLiteral("<a href=\"open\" style=\"color:blue\">Archiv öffnen</a>"), m_noArchivePanel);
    open->setObjectName(QStringLiteral("LabelOpenArchive"));
    open->setToolTip(QStringLiteral("Archiv öffnen"));
    open->setCursor(Qt::PointingHandCursor);
    open->move(left, 80 + 35);
    connect(open, &QLabel::linkActivated, this, &TFormMain::ActFileDbOpenExecute);
    m_pages->addWidget(m_noArchivePanel);
}

void TFormMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_started) {
        m_started = true;
        // The window is visible before any archive work starts.
        QTimer::singleShot(0, this, &TFormMain::StartUp);
    }
}

void TFormMain::RegisterUserName()
{
    // The user list of the common files folder knows everyone who used the program.
    DocumentRecords& records = m_dm.Records();
    records.LoadUsers();
    const QString user = m_dm.userName();
    if (user.isEmpty() || m_dm.UserList.contains(user, Qt::CaseInsensitive))
        return;
    m_dm.UserList.append(user);
    std::sort(m_dm.UserList.begin(), m_dm.UserList.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    FileOperations::writeFileAtomically(
        m_dm.UsersFile(), (m_dm.UserList.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

namespace {
const QString kGridLayoutKey = RegistryKeys::kComponentSettings + QStringLiteral("FormMain.DBGridDoc");
}

namespace {
const QString kBarLayoutKey = RegistryKeys::kComponentSettings + QStringLiteral("FormMain.MainMenu");
}

void TFormMain::saveBarLayout()
{
    Registry& user = m_core.settings().user();
    user.writeString(kBarLayoutKey, QStringLiteral("State"), QString::fromLatin1(saveState().toBase64()));
}

void TFormMain::restoreBarLayout()
{
    if (const auto state = m_core.settings().user().readString(kBarLayoutKey, QStringLiteral("State")))
        restoreState(QByteArray::fromBase64(state->toLatin1()));
}

void TFormMain::saveGridLayout()
{
    if (!m_dm.AdoQueryDoc.isActive())
        return;
    Registry& user = m_core.settings().user();
    QStringList grouping;
    for (int column : m_model->groupColumns())
        grouping << m_model->headerData(column, Qt::Horizontal, DocumentGridModel::FieldNameRole).toString();
    user.writeString(
        kGridLayoutKey, QStringLiteral("Header"), QString::fromLatin1(DBGridDoc->header()->saveState().toBase64()));
    user.writeString(kGridLayoutKey, QStringLiteral("Grouping"), grouping.join(QLatin1Char(',')));
    user.writeString(kGridLayoutKey, QStringLiteral("Alignment"), m_model->alignmentsText());
    user.flush();
}

void TFormMain::restoreGridLayout()
{
    const Registry& user = m_core.settings().user();
    const auto header = user.readString(kGridLayoutKey, QStringLiteral("Header"));
    if (header)
        DBGridDoc->header()->restoreState(QByteArray::fromBase64(header->toLatin1()));
    m_gridColumns->BuildGridColumns(); // a stored layout cannot show fields that have no column
    m_model->setAlignmentsText(user.readString(kGridLayoutKey, QStringLiteral("Alignment"), QString()));
    const QStringList grouping = user.readString(kGridLayoutKey, QStringLiteral("Grouping"), QString())
                                     .split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (grouping.isEmpty())
        return;
    changeView([&] {
        for (const QString& name : grouping)
            for (int column = 0; column < m_model->columnCount(); ++column)
                if (m_model->headerData(column, Qt::Horizontal, DocumentGridModel::FieldNameRole).toString() == name)
                    m_model->addGroupColumn(column);
    });
}

void TFormMain::StartUp()
{
    RegisterUserName();
    if (m_dm.Settings.FirstRun) {
        FirstRunSetup();
        m_dm.Settings.FirstRun = false;
    }
    QString path = m_dm.Settings.CurrentArchivePath;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (const QString& arg : args)
        if (arg.endsWith(QLatin1String(".dva"), Qt::CaseInsensitive) && QFileInfo(arg).isFile())
            path = QFileInfo(arg).absoluteFilePath();

    if (!m_dm.isArchiveOpen() && !path.isEmpty() && QFileInfo::exists(path))
        openArchiveReporting(path);
    if (!m_dm.isArchiveOpen())
        SetArchiveVisible(false);
    UpdateCaption();
}

void TFormMain::FirstRunSetup()
{
    ProgramSettings& settings = m_dm.Settings;
    settings.Cfg.DocDataBase = m_dm.DefaultArchivePath();
    settings.SaveSettings(m_core.settings(), false);
    if (!QFileInfo::exists(settings.Cfg.DocDataBase)) {
        try {
            ArchiveSchema(m_dm).CreateArchive(settings.Cfg.DocDataBase);
        } catch (const DxError& error) {
            m_dm.ShowErrorAndLog(
                QStringLiteral("Datenbank konnte nicht erstellt werden.") + QStringLiteral(":\r") + error.message());
        }
    }
    settings.CurrentArchivePath = settings.Cfg.DocDataBase;
    if (QFileInfo::exists(settings.Cfg.DocDataBase))
        openArchiveReporting(settings.Cfg.DocDataBase);

    // A new user finds the sample documents and the common document types.
    if (m_dm.isArchiveOpen()) {
        try {
            m_core.maintenance().InsertSampleDocuments();
            ShowAllDocumentsUnfiltered();
            for (int column = 0; column < m_model->columnCount(); ++column)
                DBGridDoc->resizeColumnToContents(column);
        } catch (const DxError& error) {
            logQuietly(error.message());
        }
    }
    try {
        for (const char* extension : {".doc", ".xls", ".pdf", ".txt", ".bmp", ".jpg"}) {
            QString key = QLatin1String(extension);
            m_core.applications().EnsureDocumentType(key);
        }
    } catch (const DxError&) {
        logQuietly(QStringLiteral("Error FindApplication"));
    }
    m_core.settings().user().deleteKey(RegistryKeys::kComponentSettings);
    m_core.settings().user().flush();
    if (!RegisterArchiveFileType(QCoreApplication::applicationFilePath()))
        logQuietly(QStringLiteral("Error RegisterFileExtension"));
}

void TFormMain::logQuietly(const QString& text)
{
    try {
        m_dm.WriteLog(text);
    } catch (const IoError&) {
    }
}

void TFormMain::LoadArchive(const QString& path)
{
    if (m_dm.isArchiveOpen())
        UnloadArchive();
    try {
        m_core.openArchive(path);
    } catch (...) {
        SetArchiveVisible(false);
        UpdateCaption();
        throw;
    }
    UpdateCaption();
    if (m_dm.CurrentArchive.Folder.compare(m_dm.ArchiveFolder(), Qt::CaseInsensitive) == 0) {
        m_recentArchives = AddRecentArchive(m_recentArchives, m_dm.CurrentArchive.FileName);
        rebuildRecentArchivesMenu();
    }
    LoadPrjNavItems();
    rebuildOtherFieldsMenu();
    LoadLayout(m_dm.LayoutFile(m_dm.Settings.FormLayoutCfg.LayoutFile, false));
    if (ActSearchLock->isChecked())
        RunPanelSearch();
    else
        ShowAllDocuments();
    restoreGridLayout();
    SetArchiveVisible(m_dm.AdoQueryDoc.isActive());
    if (!m_dm.AdoQueryDoc.isActive())
        UnloadArchive();
}

void TFormMain::showQueryResult(const QString& title)
{
    m_model->setCaptions([this](const QString& name) { return m_core.fields().CaptionOf(name); });
    const QList<int> grouping = m_model->groupColumns();
    // The columns keep their widths, order and hidden state from one result to the next; the
    // first result after opening fits them to their contents.
    const int columnsBefore = m_model->columnCount();
    const QByteArray header = columnsBefore > 0 ? DBGridDoc->header()->saveState() : QByteArray();
    m_model->setRecords(&m_dm.AdoQueryDoc);
    const bool keepHeader = !header.isEmpty() && m_model->columnCount() == columnsBefore;
    if (keepHeader)
        DBGridDoc->header()->restoreState(header);
    for (int column : grouping)
        m_model->addGroupColumn(column);
    // Columns by the field definitions; hidden fields get none.
    if (!keepHeader)
        for (int column = 0; column < m_model->columnCount(); ++column)
            DBGridDoc->setColumnHidden(column, false);
    m_gridColumns->BuildGridColumns();
    m_tableTitle = title;
    const int count = m_model->recordCount();
    m_countText.clear();
    if (m_dm.Settings.Cfg.ShowDocCount)
        m_countText = (count == 1 ? QStringLiteral("1 ") + QStringLiteral("Dokument")
                                  : QString::number(count) + QLatin1Char(' ') + QStringLiteral("Dokumente"))
            + QStringLiteral(", ");
    groupingChanged();
    if (count > 0)
        DBGridDoc->setCurrentIndex(m_model->index(0, 0));
    UpdateTableInfo();
    if (!keepHeader)
        for (int column = 0; column < m_model->columnCount(); ++column)
            DBGridDoc->resizeColumnToContents(column);
    UpdateActions();
}

int TFormMain::selectedRecordCount() const
{
    return int(selectedRecords().size());
}

void TFormMain::groupingChanged()
{
    for (QToolButton* button : m_groupPanel->findChildren<QToolButton*>())
        delete button;
    const QList<int> levels = m_model->groupColumns();
    m_groupPanelText->setText(levels.isEmpty()
            ? QStringLiteral("Keine Gruppierung (rechte Maustaste auf eine Spaltenüberschrift)")
            : QStringLiteral("Gruppiert nach:"));
    auto* groupLayout = static_cast<QHBoxLayout*>(m_groupPanel->layout());
    for (qsizetype level = 0; level < levels.size(); ++level) {
        const int column = levels[level];
        auto* button = new QToolButton(m_groupPanel);
        button->setObjectName(QStringLiteral("GroupLevel%1").arg(level));
        button->setText(m_model->caption(column));
        button->setToolTip(QStringLiteral("Rechte Maustaste: Sortieren, Gruppierung aufheben"));
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QWidget::customContextMenuRequested, this,
            [this, button, column](const QPoint& position) { showColumnPopup(column, button->mapToGlobal(position)); });
        groupLayout->insertWidget(int(level) + 1, button);
        button->show();
    }
    DBGridDoc->setRootIsDecorated(m_model->isGrouped());
    // Group rows span the whole width.
    std::function<void(const QModelIndex&)> span = [&](const QModelIndex& parent) {
        for (int row = 0; row < m_model->rowCount(parent); ++row) {
            const QModelIndex index = m_model->index(row, 0, parent);
            if (m_model->recordOf(index) < 0) {
                DBGridDoc->setFirstColumnSpanned(row, parent, true);
                span(index);
            }
        }
    };
    if (m_model->isGrouped()) {
        span({});
        DBGridDoc->expandAll();
    }
    UpdateTableInfo();
}

void TFormMain::changeView(const std::function<void()>& change)
{
    const QList<int> selected = selectedRecords();
    const int current = m_model->recordOf(DBGridDoc->currentIndex());
    change();
    groupingChanged();
    QItemSelection selection;
    for (int record : selected) {
        const QModelIndex index = m_model->indexOfRecord(record);
        selection.select(index, index);
    }
    DBGridDoc->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (current >= 0)
        DBGridDoc->selectionModel()->setCurrentIndex(m_model->indexOfRecord(current), QItemSelectionModel::NoUpdate);
    UpdateTableInfo();
}

bool TFormMain::DBGridDocAddGroupColumn(int column)
{
    if (!m_model->canGroupBy(column)) {
        SetStatusText(QStringLiteral("Eine Gruppierung nach \"%1\" ist nicht möglich").arg(m_model->caption(column)));
        return false;
    }
    changeView([this, column] { m_model->addGroupColumn(column); });
    return true;
}

void TFormMain::ActViewEndGroupingExecute()
{
    changeView([this] { m_model->endGrouping(); });
}

void TFormMain::showHeaderPopup(const QPoint& position)
{
    const int column = DBGridDoc->header()->logicalIndexAt(position);
    if (column >= 0)
        showColumnPopup(column, DBGridDoc->header()->mapToGlobal(position));
}

void TFormMain::showColumnPopup(int column, const QPoint& globalPosition)
{
    const QString caption = m_model->caption(column);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("PopupDBGridHeader"));
    const bool grouping = m_model->groupColumns().contains(column);
    Qt::SortOrder current = Qt::AscendingOrder;
    bool sorted = false;
    for (const auto& [sortColumn, order] : m_model->sortColumns())
        if (sortColumn == column) {
            sorted = true;
            current = order;
        }
    auto sortBy = [this, column, sorted, current](Qt::SortOrder order) {
        changeView([this, column, sorted, current, order] {
            if (sorted && current == order)
                m_model->clearSorting(); // choosing the current direction again removes the sorting
            else
                m_model->sort(column, order);
        });
    };
    QAction* ascending
        = menu.addAction(QStringLiteral("&Aufsteigend sortieren"), this, [=] { sortBy(Qt::AscendingOrder); });
    ascending->setCheckable(true);
    ascending->setChecked(sorted && current == Qt::AscendingOrder);
    QAction* descending
        = menu.addAction(QStringLiteral("A&bsteigend sortieren"), this, [=] { sortBy(Qt::DescendingOrder); });
    descending->setCheckable(true);
    descending->setChecked(sorted && current == Qt::DescendingOrder);
    // Sorting is the grid's own, over the records it holds: only while all records are loaded.
    ascending->setEnabled(m_dm.Settings.Cfg.LoadAllRecords);
    descending->setEnabled(m_dm.Settings.Cfg.LoadAllRecords);
    QAction* reset = menu.addAction(
        QStringLiteral("&Sortierung zurücksetzen"), this, [this] { changeView([this] { m_model->clearSorting(); }); });
    reset->setVisible(!m_model->sortColumns().isEmpty());
    menu.addSeparator();
    QAction* group = menu.addAction(
        QStringLiteral("Nach diesem Feld &gruppieren"), this, [this, column] { DBGridDocAddGroupColumn(column); });
    group->setEnabled(!grouping && m_model->canGroupBy(column));
    QAction* ungroup
        = menu.addAction(QStringLiteral("Gruppierung aufheben"), this, &TFormMain::ActViewEndGroupingExecute);
    ungroup->setVisible(m_model->isGrouped());
    menu.addAction(QStringLiteral("Knoten öffnen"), DBGridDoc, &QTreeView::expandAll)->setVisible(m_model->isGrouped());
    menu.addAction(QStringLiteral("Knoten schließen"), DBGridDoc, &QTreeView::collapseAll)
        ->setVisible(m_model->isGrouped());
    menu.addSeparator();
    QAction* hide = menu.addAction(
        QStringLiteral("Spalte a&usblenden"), this, [this, column] { DBGridDoc->setColumnHidden(column, true); });
    hide->setEnabled(!grouping);
    menu.addAction(ActViewGridColCustomiz);
    menu.addSeparator();
    const Qt::Alignment alignment = m_model->columnAlignment(column);
    for (const auto& [caption, side] :
        {std::pair{QStringLiteral("&Links"), Qt::AlignLeft}, std::pair{QStringLiteral("&Rechts"), Qt::AlignRight},
            std::pair{QStringLiteral("&Zentriert"), Qt::AlignHCenter}}) {
        QAction* align
            = menu.addAction(caption, this, [this, column, side] { m_model->setColumnAlignment(column, side); });
        align->setCheckable(true);
        align->setChecked(alignment == side);
    }
    menu.addSeparator();
    menu.addAction(
        QStringLiteral("&Optimale Breite"), this, [this, column] { DBGridDoc->resizeColumnToContents(column); });
    menu.addAction(QStringLiteral("Optimale Breite a&ller Spalten"), this, [this] {
        for (int c = 0; c < m_model->columnCount(); ++c)
            DBGridDoc->resizeColumnToContents(c);
    });
    menu.exec(globalPosition);
}

void TFormMain::ActViewGridEditingExecute()
{
    const bool on = !m_gridColumns->isEditing();
    m_gridColumns->setEditing(on);
    ActViewGridEditing->setChecked(on);
    UpdateActions();
}

void TFormMain::ActViewGridColCustomizExecute()
{
    // A tool window beside the grid: every column the field definitions allow, ticked while shown.
    if (!m_columnChooser) {
        m_columnChooser = new QDialog(this, Qt::Tool);
        m_columnChooser->setObjectName(QStringLiteral("FormGridColumns"));
        m_columnChooser->setWindowTitle(QStringLiteral("Spalten hinzufügen"));
        auto* layout = new QVBoxLayout(m_columnChooser);
        auto* list = new QListWidget(m_columnChooser);
        list->setObjectName(QStringLiteral("ListColumns"));
        layout->addWidget(new QLabel(QStringLiteral("Angezeigte Spalten:"), m_columnChooser));
        layout->addWidget(list);
        auto* close = new QPushButton(QStringLiteral("Schließen"), m_columnChooser);
        connect(close, &QPushButton::clicked, m_columnChooser, &QDialog::close);
        layout->addWidget(close);
        connect(list, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
            const int column = item->data(Qt::UserRole).toInt();
            DBGridDoc->setColumnHidden(column, item->checkState() != Qt::Checked);
        });
    }
    auto* list = m_columnChooser->findChild<QListWidget*>(QStringLiteral("ListColumns"));
    const QSignalBlocker quiet(list);
    list->clear();
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (m_model->column(column).kind == GridColumnKind::None)
            continue;
        auto* item = new QListWidgetItem(m_model->caption(column), list);
        item->setData(Qt::UserRole, column);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(DBGridDoc->isColumnHidden(column) ? Qt::Unchecked : Qt::Checked);
    }
    m_columnChooser->show();
    m_columnChooser->raise();
}

bool TFormMain::ReloadArchive()
{
    const QString path = m_dm.CurrentArchive.FullPath;
    if (!UnloadArchive())
        return false;
    openArchiveReporting(path);
    return true;
}

void TFormMain::ActViewShowProjectNavExecute()
{
    const bool show = !PanelProjectNav->isVisibleTo(this);
    PanelProjectNav->setVisible(show);
    ActViewShowProjectNav->setChecked(show);
    if (show && SplitterProjectNav->sizes().value(0) < 60)
        SplitterProjectNav->setSizes({120, std::max(SplitterProjectNav->width() - 120, 1)});
}

bool TFormMain::HasSelectedDocument() const
{
    // The current document object exists only on a document row, so any selection will do here.
    return m_dm.isArchiveOpen() && m_dm.AdoQueryDoc.isActive() && m_currentDocument
        && DBGridDoc->selectionModel()->hasSelection();
}

void TFormMain::UpdateActions()
{
    const bool open = m_dm.isArchiveOpen();
    const bool active = open && m_dm.AdoQueryDoc.isActive();
    for (QAction* action : {ActSearchLock, ActSearchCurrent, ActSearchAll, ActSearchClearEdits, ActSearchReset,
             ActSearchFulltextIndex, ActFileDbClose, ActSearchExecute})
        action->setEnabled(open);
    MSearchOtherFields->setEnabled(open && !MSearchOtherFields->isEmpty());
    for (QAction* action : {ActSearchLastSearch, ActViewShowGroupPanel, ActViewFullCollapse, ActViewFullExpand,
             ActViewShowProjectNav, ActViewGridEditing})
        action->setEnabled(active);
    ActViewEndGrouping->setEnabled(active && m_model->isGrouped());
    ActViewGridColCustomiz->setEnabled(active);
    bool reachable = false;
    if (HasSelectedDocument()) {
        const TDocTypeKind kind = KindOfKey(m_dm.AdoQueryDoc.text(QStringLiteral("APPLNAME")));
        reachable = kind == dtkNote || kind == dtkWebLink
            || ((kind == dtkFile || kind == dtkEmail)
                && QFileInfo(m_dm.AdoQueryDoc.text(QStringLiteral("FILENAME"))).isFile());
    }
    ActDocOpen->setEnabled(reachable);
    for (QAction* action : {ActDbNavFirst, ActDbNavPrev, ActDbNavNext, ActDbNavLast})
        action->setEnabled(active && m_model->recordCount() > 0);
}

void TFormMain::UpdateTableInfo()
{
    const int selected = selectedRecordCount();
    PanelTableInfo->setText(
        m_tableTitle + QStringLiteral(": ") + m_countText + QStringLiteral("%1 markiert").arg(selected));
}

bool TFormMain::UnloadArchive()
{
    if (m_dm.IsIndexThreadRunning()) {
        ShowIndexBusyMessage(m_dm.dialogs());
        return false;
    }
    if (m_gridColumns->isEditing())
        ActViewGridEditingExecute(); // posts what was edited
    saveGridLayout();
    if (m_dm.isArchiveOpen()) {
        SaveSearchValues();
        FreeLayoutControls();
    }
    m_currentDocument.reset();
    ProjectNavigator->LoadItems({});
    MSearchOtherFields->clear();
    m_model->setRecords(nullptr);
    m_core.closeArchive();
    UpdateCaption();
    return true;
}

void TFormMain::SetArchiveVisible(bool visible)
{
    m_pages->setCurrentWidget(visible ? m_pages->widget(1) : m_noArchivePanel);
    UpdateActions();
}

void TFormMain::UpdateCaption()
{
    QString caption = RegistryKeys::kProductTitle + QStringLiteral(" - ") + m_dm.userName();
    if (!m_dm.CurrentArchive.isEmpty())
        caption += QStringLiteral(" @ ") + m_dm.CurrentArchive.FileName;
    setWindowTitle(caption);
}

void TFormMain::SetStatusText(const QString& text)
{
    statusBar()->showMessage(text);
}

void TFormMain::ActFileDBNewExecute()
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Neues Archiv");
    request.folder = m_dm.ArchiveFolder();
    request.filters = {{kArchiveFilterCaption, QStringLiteral("*.dva")}};
    request.defaultSuffix = QStringLiteral("dva");
    if (m_dm.IsIndexThreadRunning()) {
        ShowIndexBusyMessage(m_dm.dialogs());
        return;
    }
    const auto file = m_dm.dialogs().saveFileName(request);
    if (!file)
        return;
    try {
        if (m_dm.isArchiveOpen())
            UnloadArchive();
        ArchiveSchema(m_dm).CreateArchive(*file);
        if (QFileInfo::exists(*file))
            LoadArchive(*file);
    } catch (const DxError& error) {
        m_dm.ShowErrorAndLog(
            QStringLiteral("Datenbank konnte nicht erstellt werden.") + QStringLiteral(":\r") + error.message());
        if (!m_dm.isArchiveOpen())
            ActFileDbCloseExecute();
    }
}

void TFormMain::ActFileDbOpenExecute()
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Archiv öffnen");
    request.folder = m_dm.ArchiveFolder();
    request.filters = {{kArchiveFilterCaption, QStringLiteral("*.dva")}};
    request.defaultSuffix = QStringLiteral("dva");
    request.mustExist = true;
    if (m_dm.IsIndexThreadRunning()) {
        ShowIndexBusyMessage(m_dm.dialogs());
        return;
    }
    const auto file = m_dm.dialogs().openFileName(request);
    if (file)
        openArchiveReporting(*file);
}

void TFormMain::ActFileDbCloseExecute()
{
    if (UnloadArchive())
        SetArchiveVisible(false);
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    postPendingEdits();
    if (m_dm.IsIndexThreadRunning()) {
        m_dm.dialogs().message(Dialogs::Kind::Information,
            QStringLiteral("Eine Aktualisierung des Gesamtindex läuft noch im Hintergrund.") + QLatin1Char(' ')
                + QStringLiteral("Das Programm kann jetzt nicht beendet werden."),
            Dialogs::Ok | Dialogs::Help, 4509);
        event->ignore();
        return;
    }
    ProgramSettings& settings = m_dm.Settings;
    settings.UserCfg.LastOpenedDocDB = m_dm.CurrentArchive.FullPath;
    settings.WindowCfg.LastOpenedDBs = m_recentArchives.join(QLatin1Char(','));
    settings.WindowCfg.PanelProjectNavVisible = PanelProjectNav->isVisibleTo(this);
    settings.WindowCfg.LockSearch = ActSearchLock->isChecked();
    if (PanelSearchFields->height() > 0)
        settings.WindowCfg.PanelSearchHeight = SplitterMain->sizes().value(0, PanelSearchFields->height());
    saveBarLayout();
    if (PanelProjectNav->width() > 0)
        settings.WindowCfg.PanelProjectNavWidth = SplitterProjectNav->sizes().value(0, PanelProjectNav->width());
    const QRect bounds = geometry();
    settings.WindowCfg.FormLeft = bounds.left();
    settings.WindowCfg.FormTop = bounds.top();
    settings.WindowCfg.FormWidth = bounds.width();
    settings.WindowCfg.FormHeight = bounds.height();
    settings.SaveSettings(m_core.settings(), true, !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)));
    UnloadArchive();
    event->accept();
}
