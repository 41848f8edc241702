#pragma once

#include <QMainWindow>

class DocumentQuery;
class DocumentTableModel;
class QAction;
class QLabel;
class QStackedWidget;
class QTableView;
class RegistryHives;
class TDModul;

// The main window: the archive commands, the catalogue and the status bar.
class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    TFormMain(TDModul& dataModule, RegistryHives& settings, QWidget* parent = nullptr);
    ~TFormMain() override;

    void LoadArchive(const QString& path);
    bool UnloadArchive();
    void SetArchiveVisible(bool visible);
    void UpdateCaption();
    void SetStatusText(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void StartUp();
    void ActFileDBNewExecute();
    void ActFileDbOpenExecute();
    void ActFileDbCloseExecute();
    void createActions();
    void createNoArchivePanel();
    void showAllDocuments();

    TDModul& m_dm;
    RegistryHives& m_settings;
    std::unique_ptr<DocumentQuery> m_query;
    QStackedWidget* m_pages = nullptr;
    QWidget* m_noArchivePanel = nullptr;
    QTableView* DBGridDoc = nullptr;
    DocumentTableModel* m_model = nullptr;
    QLabel* PanelTableInfo = nullptr;
    QAction* ActFileDBNew = nullptr;
    QAction* ActFileDbOpen = nullptr;
    QAction* ActFileDbClose = nullptr;
    QAction* ActFileExit = nullptr;
    bool m_started = false;
};
