#pragma once

#include <QString>

// The folders the program names for the user. Every path ends with "/".
namespace SpecialFolders {
// The XDG user folders: the entry of $XDG_CONFIG_HOME/user-dirs.dirs, else the environment
// variable of that name (XDG_DOCUMENTS_DIR ...), else the usual folder below the home
// (QStandardPaths for documents and desktop, ~/Templates for templates).
QString personalDocuments();
QString desktop();
QString templates();
// Where the desktop keeps the user's application entries: $XDG_DATA_HOME/applications/.
QString programs();
// The application data shared by the programs: $XDG_DATA_HOME.
QString commonAppData();
QString temp();
// The nearest equivalents of the Windows folder and the system folder.
QString windowsFolder();
QString systemFolder();

// The folder of an entry of user-dirs.dirs ("XDG_TEMPLATES_DIR"); empty when it is not there.
QString userDirsEntry(const QString& name);
} // namespace SpecialFolders
