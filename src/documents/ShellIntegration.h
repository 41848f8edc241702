#pragma once

#include <QString>

class Registry;

// How the program ties itself into the desktop: the archive file type (a MIME type with a
// desktop entry, registered through xdg-mime), the start with the session (an XDG autostart
// entry), and the Windows-only services (quick viewer, manifest, visual styles), which have no
// counterpart here and answer as a system without them does.

// The text from which a new web address is typed.
inline const QString WebAddressStub = QStringLiteral("http://www.");

// The MIME type of a program identifier: "DravonelDB" is "application/x-dravoneldb"; an
// identifier with a "/" is a MIME type name already.
QString MimeTypeOfProgId(const QString& progId);
// The Exec line of a desktop entry starting the program with a file ("%f"); a program path with
// blanks or other special characters is quoted.
QString DesktopExecLine(const QString& program, bool withFile = true);

// Registers files with the extension as the MIME type of the identifier, described by the
// description, opened by the program: the MIME package in the user's data folder (xdg-mime
// install), a desktop entry in the user's applications folder, the default application
// (xdg-mime default) and, when the template file exists, a new-file template in the user's
// Templates folder. True when every step succeeded.
bool RegisterFileType(const QString& extension, const QString& program, const QString& progId,
    const QString& description, const QString& templatePath);
// ".dva" with the running program (or the program given), "DravonelDB", "Dravonel-Archiv" and
// the archive template beside the program.
bool RegisterArchiveFileType(const QString& programPath = {});
// Deletes the key with everything below it and writes the hive; true when the key was there and
// the hive could be written.
bool DeleteRegistryKey(Registry& hive, const QString& keyPath);
// The system's quick viewer: none here, empty.
QString FindQuickViewer();
// On: writes the autostart entry "VexilonPro" starting the program; off: removes it (false when
// it was not there).
bool SetAutoStart(bool on, const QString& program);
// No manifests here: writing answers false (none exists afterwards), deleting true.
bool WriteManifest(const QString& maker, const QString& product);
bool DeleteManifest();
bool VisualStylesAvailable();
bool IsWindowsXP();
