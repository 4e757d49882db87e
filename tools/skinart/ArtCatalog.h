#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace skinart {

class ArtPainter;

// Every bitmap of a skin by file name, with its size and the code that draws it.
class ArtCatalog
{
public:
    using DrawFunction = std::function<QImage(const ArtPainter &)>;

    struct Entry {
        QString file; // file name inside the skin's bitmap folder, e.g. "play_n.bmp"
        QSize size;
        DrawFunction draw;
    };

    // A second entry under a known name is dropped when it has the same size (shared art);
    // with another size it is recorded as a conflict.
    void Add(const QString &file, QSize size, DrawFunction draw);

    const std::vector<Entry> &Entries() const { return m_entries; }
    const Entry *Find(const QString &file) const;
    const QStringList &Conflicts() const { return m_conflicts; }

private:
    std::vector<Entry> m_entries;
    QStringList m_conflicts;
};

} // namespace skinart
