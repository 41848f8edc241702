#pragma once

#include "platform/Dialogs.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

// The confirmation for deleting documents, optionally with their files. Created once at program
// start and reused; the check boxes keep their state for the whole run. A caller may disable
// CBDelFiles before asking (no document has a file); AskDelete enables it again afterwards.
// After a Yes the caller reads CBDelFiles and CBDelConfirm.
class TFormDeleteFileDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHelpTopic = 1050;

    explicit TFormDeleteFileDlg(QWidget* parent = nullptr);

    QLabel* LabelMessage = nullptr;
    QLabel* ImageWarning = nullptr;
    QCheckBox* CBDelFiles = nullptr;
    QCheckBox* CBDelConfirm = nullptr;
    QPushButton* BtnYes = nullptr;
    QPushButton* BtnNo = nullptr;
    QPushButton* BtnHelp = nullptr;

    // Shows the question modally; answers Dialogs::Yes or Dialogs::No (also when closed).
    Dialogs::Button AskDelete(const QString& question);

    // Called with the help topic when the Help button is pressed.
    void setHelpHandler(std::function<void(int)> handler) { m_help = std::move(handler); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CBDelFilesClick();
    void UpdateWarning();
    void BtnHelpClick();

    std::function<void(int)> m_help = [](int) {};
};
