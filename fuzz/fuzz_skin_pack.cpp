// Loads arbitrary bytes as a skin pack. The header's total length is patched to the input
// size and the file is named after the header's pack name, so that the fuzzer gets past
// the header check into the entry tables.

#include "skin/core/CSkinPackStore.h"
#include "skin/core/SkinPackFormat.h"
#include "skin/core/SkinPackReader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString name = QStringLiteral("fuzz.skin");
    if (bytes.size() >= skin::pack::kHeaderSize) {
        qToLittleEndian<quint64>(
            static_cast<quint64>(bytes.size()), bytes.data() + skin::pack::kTotalLengthOffset);
        QString stored;
        for (int unit = 0; unit < 64; ++unit) {
            const char16_t c
                = qFromLittleEndian<quint16>(bytes.constData() + skin::pack::kPackNameOffset + 2 * unit);
            if (c == 0)
                break;
            stored += QChar(c);
        }
        const bool usable = !stored.isEmpty() && !stored.contains(QLatin1Char('/'))
            && stored != QLatin1String(".") && stored != QLatin1String("..");
        if (usable)
            name = stored;
    }
    static const QString dir = QDir::tempPath() + QStringLiteral("/tavin-fuzz-pack");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(bytes);
    }
    skin::CSkinPackStore store;
    QStringList broken;
    skin::LoadSkinPack(path, store, &broken);
    QFile::remove(path);
    // What the skin then asks of the store: every entry by its name, as data and as text.
    for (const skin::SkinPackTable table :
        { skin::SkinPackTable::Descriptions, skin::SkinPackTable::PageTexts }) {
        for (const QString &entry : store.Names(table)) {
            if (!store.FindData(table, entry))
                __builtin_trap();
            store.FindText(table, entry);
        }
        store.FindText(table, QStringLiteral("no such entry"));
        store.Count(table);
    }
    store.Clear();
    return 0;
}
