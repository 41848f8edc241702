#pragma once

#include <QString>

// What a catalogue entry stands for, by its document type key.
enum class TDocumentKind { dtkNone, dtkFile, dtkNote, dtkWebLink, dtkEmail };

// "" → none, "vxtext" → note, "url" → web address, "email" → e-mail, anything else → file.
inline TDocumentKind KindOfKey(const QString& key)
{
    if (key.isEmpty())
        return TDocumentKind::dtkNone;
    if (key == QLatin1String("vxtext"))
        return TDocumentKind::dtkNote;
    if (key == QLatin1String("url"))
        return TDocumentKind::dtkWebLink;
    if (key == QLatin1String("email"))
        return TDocumentKind::dtkEmail;
    return TDocumentKind::dtkFile;
}
