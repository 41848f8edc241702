#include "app/ProgramCore.h"
#include "archive/DataMod.h"
#include "mainwindow/Deskmain.h"
#include "platform/Errors.h"
#include "platform/SystemInfo.h"
#include "platform/widgets/QtDialogs.h"

#include <QApplication>

#include <exception>
#include <functional>

namespace {
// An error that no command caught ends in the log and an error box, not in a crash.
class DoxarelApplication : public QApplication
{
public:
    using QApplication::QApplication;

    std::function<void(const QString&)> reportError;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const DxError& error) {
            report(error.message());
        } catch (const std::exception& error) {
            report(QString::fromLocal8Bit(error.what()));
        }
        return false;
    }

private:
    void report(const QString& text)
    {
        if (reportError)
            reportError(text);
    }
};
} // namespace

int main(int argc, char** argv)
{
    DoxarelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Doxarel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Doxarel"));

    QtDialogs dialogs;
    // The data module first, then the windows; the data module is destroyed last.
    ProgramCore core(
        QApplication::applicationDirPath(), QString(), dialogs, SystemInfo::userName(), SystemInfo::computerName());
    app.reportError = [&core](const QString& text) {
        try {
            core.dm().ShowErrorAndLog(text);
        } catch (...) {
            // The log cannot be written: the message box was shown or the error is lost quietly.
        }
    };
    TFormMain mainWindow(core);
    mainWindow.show();
    const int status = app.exec();
    app.reportError = nullptr;
    return status;
}
