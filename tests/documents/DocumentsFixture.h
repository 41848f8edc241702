#pragma once

#include "TestEnvironment.h"

#include <QFile>
#include <QImage>
#include <QString>

#include <ostream>

#include "../platform/PlatformTestHelpers.h" // UnwritableFolder

namespace DocumentsTest {
// A desktop entry in the test's applications folder.
inline QString writeDesktopEntry(const QString& id, const QString& body)
{
    return TestEnv::writeFile(".local/share/applications/" + id, ("[Desktop Entry]\n" + body).toUtf8());
}

// The user's mimeapps.list with these lines below [Default Applications].
inline void writeDefaults(const QString& lines)
{
    TestEnv::writeFile(".config/mimeapps.list", ("[Default Applications]\n" + lines).toUtf8());
}

// A 16 x 16 icon of one colour in the test's own hicolor theme.
inline QString writeThemeIcon(const QString& name, QRgb colour)
{
    TestEnv::writeFile(".local/share/icons/hicolor/index.theme",
        "[Icon Theme]\nName=Hicolor\nDirectories=16x16/mimetypes,16x16/apps\n\n"
        "[16x16/mimetypes]\nSize=16\nType=Fixed\n\n[16x16/apps]\nSize=16\nType=Fixed\n");
    const QString path = TestEnv::makeFolder(".local/share/icons/hicolor/16x16/mimetypes") + name + ".png";
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(colour);
    image.save(path, "PNG");
    return path;
}

inline QString templatesFolder()
{
    return TestEnv::makeFolder("Templates");
}
} // namespace DocumentsTest
