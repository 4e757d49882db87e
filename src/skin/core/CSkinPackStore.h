#pragma once

#include "skin/core/SkinPackFormat.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace skin {

// The decoded entries of the skin pack, one map per table, keyed by the lower-cased entry
// name. Filled once when the program starts and only read afterwards.
class CSkinPackStore
{
public:
    // Stores the decoded bytes of an entry (UTF-16LE, no terminator) followed by two zero
    // bytes. A later entry with the same lower-cased name replaces the earlier one.
    void Insert(SkinPackTable table, const QString &name, const QByteArray &entryBytes);

    // The stored buffer: the entry's bytes and the two zero bytes; nullptr when absent.
    const QByteArray *FindData(SkinPackTable table, const QString &name) const;
    // The entry as text, a leading byte-order mark included; nothing when absent.
    std::optional<QString> FindText(SkinPackTable table, const QString &name) const;

    std::optional<QString> FindDescription(const QString &name) const
    {
        return FindText(SkinPackTable::Descriptions, name);
    }
    std::optional<QString> FindPageText(const QString &name) const
    {
        return FindText(SkinPackTable::PageTexts, name);
    }

    QStringList Names(SkinPackTable table) const; // lower-cased, sorted
    int Count(SkinPackTable table) const;
    void Clear();

private:
    using EntryMap = std::map<QString, QByteArray>;
    EntryMap &Map(SkinPackTable table);
    const EntryMap &Map(SkinPackTable table) const;

    EntryMap m_descriptions;
    EntryMap m_pageTexts;
};

} // namespace skin
