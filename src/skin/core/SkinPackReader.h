#pragma once

#include "skin/core/SkinPackFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace skin {

class CSkinPackStore;

enum SkinPackResult {
    kSkinPackOk = 0,
    kSkinPackCannotOpen = 1,
    kSkinPackShortRead = 2, // header, record or data missing, or a record pointing outside the file
    kSkinPackBadHeader = 3, // total length or pack name do not match the file
};

struct SkinPackEntry {
    SkinPackTable table;
    QString name; // as stored in the pack
    QByteArray bytes; // decoded UTF-16LE text, no terminator
};

// Reads and decodes every entry of the pack at `path` in file order, handing each to
// `onEntry`. Returns a SkinPackResult; entries handed out before a failure stay handed out.
// An entry whose data lies outside the file is skipped and named in `brokenEntries` (when
// given), and the others are still read: one damaged window must not cost the whole skin. The
// result is then kSkinPackShortRead. A record that cannot be read itself ends the reading.
int ReadSkinPack(const QString &path, const std::function<void(SkinPackEntry &&)> &onEntry,
    QStringList *brokenEntries = nullptr);

// Reads the pack into `store` (which keeps what it already holds). Returns a SkinPackResult.
int LoadSkinPack(const QString &path, CSkinPackStore &store, QStringList *brokenEntries = nullptr);

} // namespace skin
