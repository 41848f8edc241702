#pragma once

#include "documents/DesktopDatabase.h"

#include <QDialog>

#include <optional>

class Dialogs;
class QFormLayout;
class QListWidget;

// The file-properties window: name, type, folder, size, times, permissions and owner.
class TFormFileProperties : public QDialog
{
    Q_OBJECT
public:
    explicit TFormFileProperties(const QString& path, QWidget* parent = nullptr);
    // The value shown in the row of that label ("Größe:"); empty when there is none.
    QString valueOf(const QString& label) const;

private:
    QFormLayout* m_form;
};

// The open-with choice over the programs for a file's type, with "Andere Anwendung..." for any
// program file.
class TFormOpenWith : public QDialog
{
    Q_OBJECT
public:
    TFormOpenWith(Dialogs& dialogs, const QString& file, const QList<const DesktopDatabase::DesktopEntry*>& programs,
        QWidget* parent = nullptr);

    QListWidget* ListPrograms;
    // The chosen program's command line.
    QString Choice() const { return m_choice; }
    void BtnOtherClick();

private:
    void acceptSelection();

    Dialogs& m_dialogs;
    QList<QString> m_commands;
    QString m_choice;
};

// Installs both windows as the program's file-properties and open-with windows.
void InstallDocumentWindows(Dialogs& dialogs, QWidget* parent = nullptr);
