#include "skinart/ArtCatalog.h"

namespace skinart {

void ArtCatalog::Add(const QString &file, QSize size, DrawFunction draw)
{
    if (const Entry *known = Find(file)) {
        if (known->size != size)
            m_conflicts.append(QStringLiteral("%1: %2x%3 and %4x%5")
                                   .arg(file)
                                   .arg(known->size.width())
                                   .arg(known->size.height())
                                   .arg(size.width())
                                   .arg(size.height()));
        return;
    }
    m_entries.push_back(Entry { file, size, std::move(draw) });
}

const ArtCatalog::Entry *ArtCatalog::Find(const QString &file) const
{
    for (const Entry &entry : m_entries) {
        if (entry.file.compare(file, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace skinart
