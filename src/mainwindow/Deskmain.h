#pragma once

#include <QMainWindow>

class DocumentTableModel;
class ProgramCore;
class QAction;
class QLabel;
class QStackedWidget;
class QTableView;
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

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void StartUp();
    void FirstRunSetup();
    void ActFileDBNewExecute();
    void ActFileDbOpenExecute();
    void ActFileDbCloseExecute();
    void createActions();
    void createNoArchivePanel();
    void showAllDocuments();

    ProgramCore& m_core;
    TDModul& m_dm;
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
