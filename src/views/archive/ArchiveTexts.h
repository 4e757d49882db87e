#pragma once

#include "skin/CSkin.h"

#include <QString>

// The archive window's words, keyed texts of its skin description; the key itself shows where a
// skin lacks one, so that a gap is seen rather than an empty cell.
inline QString ArchiveText(const skin::CSkin &skin, const char *key)
{
    const QString name = QString::fromLatin1(key);
    return skin.Text(name, name);
}

// A keyed text that shows a count, its %1. Where the language writes one thing and many
// differently, the skin gives both forms, "one|many" ("%1 trip|%1 trips"); a text of one form
// serves every count, as Korean's do.
inline QString ArchiveCountText(const skin::CSkin &skin, const char *key, qsizetype count)
{
    const QStringList forms = ArchiveText(skin, key).split(QLatin1Char('|'));
    return forms.value(count == 1 ? 0 : forms.size() - 1).arg(count);
}
