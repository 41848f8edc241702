#pragma once

#include <QString>

#include <functional>

// The file-properties window of the program. The window itself belongs to the widget layer,
// which installs itself here; without it (doxarel-cli, tests without windows) nothing is shown
// and show() answers false.
namespace FileProperties {
using Handler = std::function<bool(const QString& path)>;
void setHandler(Handler handler);
bool hasHandler();
// Shows the properties of the file or folder; answers whether the window was shown.
bool show(const QString& path);
} // namespace FileProperties
