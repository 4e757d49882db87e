#include "skin/core/CSkinPackStore.h"

#include "skin/core/SkinTextFile.h"

namespace skin {

void CSkinPackStore::Insert(SkinPackTable table, const QString &name, const QByteArray &entryBytes)
{
    QByteArray buffer = entryBytes;
    buffer.append(2, '\0'); // the UTF-16 NUL that readers of the text rely on
    Map(table)[name.toLower()] = std::move(buffer);
}

const QByteArray *CSkinPackStore::FindData(SkinPackTable table, const QString &name) const
{
    const EntryMap &entries = Map(table);
    const auto found = entries.find(name.toLower());
    return found == entries.end() ? nullptr : &found->second;
}

std::optional<QString> CSkinPackStore::FindText(SkinPackTable table, const QString &name) const
{
    const QByteArray *data = FindData(table, name);
    if (!data)
        return std::nullopt;
    return TextFromUtf16Le(QByteArrayView(*data).chopped(2));
}

QStringList CSkinPackStore::Names(SkinPackTable table) const
{
    QStringList names;
    for (const auto &entry : Map(table))
        names.append(entry.first);
    return names;
}

int CSkinPackStore::Count(SkinPackTable table) const
{
    return static_cast<int>(Map(table).size());
}

void CSkinPackStore::Clear()
{
    m_descriptions.clear();
    m_pageTexts.clear();
}

CSkinPackStore::EntryMap &CSkinPackStore::Map(SkinPackTable table)
{
    return table == SkinPackTable::Descriptions ? m_descriptions : m_pageTexts;
}

const CSkinPackStore::EntryMap &CSkinPackStore::Map(SkinPackTable table) const
{
    return table == SkinPackTable::Descriptions ? m_descriptions : m_pageTexts;
}

} // namespace skin
