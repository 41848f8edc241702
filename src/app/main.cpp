#include "archive/DataMod.h"
#include "mainwindow/Deskmain.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/widgets/QtDialogs.h"
#include "settings/RegistryKeys.h"
#include "settings/SettingsCatalogue.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Doxarel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Doxarel"));

    RegistryHives settings;
    QtDialogs dialogs;
    const QString common
        = SettingsCatalogue::readText(settings, *SettingsCatalogue::find(QStringLiteral("CommonFilesPath")));
    // The data module first, then the windows; the data module is destroyed last.
    TDModul dataModule(
        {QApplication::applicationDirPath(), common, SystemInfo::userName(), SystemInfo::computerName(), &dialogs});
    for (const QString& problem : SettingsCatalogue::problems(settings)) {
        try {
            dataModule.WriteLog(problem);
        } catch (const IoError&) {
        }
    }
    TFormMain mainWindow(dataModule, settings);
    mainWindow.show();
    return app.exec();
}
