#pragma once

#include <QString>
#include <QStringList>

namespace skinart {

// The bitmap files a skin description names: every attribute value ending in ".bmp", in
// document order, without duplicates. Returns false when the markup does not parse.
bool BitmapReferences(const QString &markup, QStringList *files, QString *error);

// Reads every *.xml of a folder (UTF-8) and collects their bitmap references.
bool FolderBitmapReferences(const QString &folder, QStringList *files, QString *error);

} // namespace skinart
