#include "app/ProgramCore.h"
#include "mainwindow/Deskmain.h"
#include "platform/SystemInfo.h"
#include "platform/widgets/QtDialogs.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Doxarel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Doxarel"));

    QtDialogs dialogs;
    // The data module first, then the windows; the data module is destroyed last.
    ProgramCore core(
        QApplication::applicationDirPath(), QString(), dialogs, SystemInfo::userName(), SystemInfo::computerName());
    TFormMain mainWindow(core);
    mainWindow.show();
    return app.exec();
}
