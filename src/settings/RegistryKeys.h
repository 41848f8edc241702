#pragma once

#include <QString>

// Where the program keeps its settings, by key path.
namespace RegistryKeys {
inline const QString kBase = QStringLiteral("SOFTWARE\\Wendrich\\Dravonel Lumaris\\");
inline const QString kSettings = kBase + QStringLiteral("Settings");
inline const QString kComponentSettings = kBase + QStringLiteral("Component Settings\\");
inline const QString kProductTitle = QStringLiteral("Dravonel") + QLatin1Char(' ') + QStringLiteral("Lumaris");
} // namespace RegistryKeys
