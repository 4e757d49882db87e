#pragma once

#include "skin/core/SkinPackFormat.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace skin {

// Builds skin pack files: the header with the pack name and total length, both entry
// tables and the entries as coded UTF-16LE texts with a byte-order mark.
class CSkinPackWriter
{
public:
    using Key = std::array<uint8_t, pack::kKeySize>;

    // Adds an entry; fails (with a reason) for an empty or too long name, or a name that
    // the table already holds regardless of case (the reader would keep only one).
    bool AddEntry(SkinPackTable table, const QString &name, const QString &text, QString *error = nullptr);

    // Codes with a fixed key instead of a fresh random one per build.
    void SetKey(const Key &key) { m_key = key; }

    // The whole pack, valid only under the file name `packName`; empty with a reason on failure.
    QByteArray Build(const QString &packName, QString *error = nullptr) const;
    // Builds for the file name of `path` and writes it atomically.
    bool Write(const QString &path, QString *error = nullptr) const;

    int Count(SkinPackTable table) const;

private:
    struct Entry {
        SkinPackTable table;
        QString name;
        QByteArray bytes; // UTF-16LE with byte-order mark, not yet coded
    };
    std::vector<Entry> m_entries;
    std::optional<Key> m_key;
};

} // namespace skin
