#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class Dialogs;
class QLabel;
class QLineEdit;
class QPushButton;

// The dialog for a web address or a local HTML file.
class TwwwAdrDlgForm : public QDialog
{
    Q_OBJECT
public:
    TwwwAdrDlgForm(Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows the dialog with the address; the address on OK, nullopt when cancelled.
    static std::optional<QString> Execute(
        Dialogs& dialogs, const QString& address, QWidget* parent = nullptr, const std::function<void(int)>& help = {});

    QLabel* LabelExample;
    QLineEdit* EditURL;
    QPushButton* BtnOk;
    QPushButton* BtnOpenFile;
    QPushButton* BtnCancel;
    QPushButton* BtnHelp;
    std::function<void(int)> HelpHandler;

    void BtnOpenFileClick();

private:
    Dialogs& m_dialogs;
};
