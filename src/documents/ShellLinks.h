#pragma once

#include <QByteArray>
#include <QString>

// Shortcut files: internet shortcuts (".url", INI text), symbolic links, desktop link entries
// (".desktop") and Windows shell links (".lnk", read from their documented binary format).

// The URL value of section "InternetShortcut"; empty when missing. A path without extension gets
// ".url" appended.
QString ReadInternetShortcut(const QString& path);

// What a Windows shell link holds.
struct TShellLinkInfo
{
    QString Target; // the target path as the link names it (a Windows path)
    QString RelativePath; // the target relative to the link's folder
    QString Description;
    QString WorkingDirectory;
    QString Arguments;
    QString IconLocation;
    int IconIndex = 0;
    int HotKey = 0;
    int ShowCommand = 1;
};

// Reads a ".lnk" file's contents; false for data that is not a shell link or is damaged.
bool ReadWindowsShellLink(const QByteArray& data, TShellLinkInfo& info);

// The target of a shortcut: a symbolic link's target, a desktop entry's URL (a local path for
// "file:" URLs) or program, or a shell link's target (its relative path resolved against the
// link's folder when that file exists, else the path the link names). Empty when the file is no
// shortcut, is damaged or names no target.
QString ReadShellLink(const QString& path);
