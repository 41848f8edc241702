#pragma once

#include <QString>

// What a catalogue entry stands for, by its document type key.
enum TDocTypeKind { dtkNone = 0, dtkFile = 1, dtkNote = 2, dtkWebLink = 3, dtkEmail = 4 };

// By exact (case-sensitive) comparison: "" → none, "vxtext" → note, "url" → web address,
// "email" → e-mail message, anything else → file document.
inline TDocTypeKind KindOfKey(const QString& key)
{
    if (key.isEmpty())
        return dtkNone;
    if (key == QLatin1String("vxtext"))
        return dtkNote;
    if (key == QLatin1String("url"))
        return dtkWebLink;
    if (key == QLatin1String("email"))
        return dtkEmail;
    return dtkFile;
}
