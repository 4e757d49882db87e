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
