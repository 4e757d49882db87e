#include "skin/core/CSkinPackWriter.h"

#include "skin/core/CRC4.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>

namespace skin {

namespace {

    bool CheckName(const QString &name, const QString &what, QString *error)
    {
        QString reason;
        if (name.isEmpty())
            reason = QStringLiteral("%1 is empty").arg(what);
        else if (name.size() >= pack::kNameUnits)
            reason = QStringLiteral("%1 '%2' is longer than %3 characters")
                         .arg(what, name)
                         .arg(pack::kNameUnits - 1);
        else if (name.contains(QChar(0)))
            reason = QStringLiteral("%1 '%2' contains a NUL character").arg(what, name);
        if (reason.isEmpty())
            return true;
        if (error)
            *error = reason;
        return false;
    }

    void PutName(QByteArray &out, qsizetype offset, const QString &name)
    {
        for (qsizetype i = 0; i < name.size(); ++i)
            qToLittleEndian<quint16>(name[i].unicode(), out.data() + offset + 2 * i);
    }

    QByteArray ToUtf16LeWithBom(const QString &text)
    {
        const bool hasBom = text.startsWith(QChar(0xFEFF));
        const qsizetype units = text.size() + (hasBom ? 0 : 1);
        QByteArray bytes(units * 2, '\0');
        qsizetype at = 0;
        if (!hasBom)
            qToLittleEndian<quint16>(0xFEFF, bytes.data() + 2 * at++);
        for (const QChar c : text)
            qToLittleEndian<quint16>(c.unicode(), bytes.data() + 2 * at++);
        return bytes;
    }

} // namespace

bool CSkinPackWriter::AddEntry(SkinPackTable table, const QString &name, const QString &text, QString *error)
{
    if (!CheckName(name, QStringLiteral("entry name"), error))
        return false;
    const QString lower = name.toLower();
    const bool duplicate = std::any_of(m_entries.begin(), m_entries.end(),
        [&](const Entry &entry) { return entry.table == table && entry.name.toLower() == lower; });
    if (duplicate) {
        if (error)
            *error
                = QStringLiteral("entry name '%1' occurs twice in table %2 (names are compared without case)")
                      .arg(name)
                      .arg(static_cast<int>(table));
        return false;
    }
    m_entries.push_back(Entry { table, name, ToUtf16LeWithBom(text) });
    return true;
}

int CSkinPackWriter::Count(SkinPackTable table) const
{
    return static_cast<int>(std::count_if(
        m_entries.begin(), m_entries.end(), [table](const Entry &entry) { return entry.table == table; }));
}

QByteArray CSkinPackWriter::Build(const QString &packName, QString *error) const
{
    if (!CheckName(packName, QStringLiteral("pack file name"), error))
        return {};

    Key key;
    if (m_key) {
        key = *m_key;
    } else {
        quint32 words[pack::kKeySize / 4];
        QRandomGenerator::system()->fillRange(words);
        for (int i = 0; i < pack::kKeySize; ++i)
            key[i] = static_cast<uint8_t>(words[i / 4] >> (8 * (i % 4)));
    }

    // Records in table order: every description first, then every page text.
    std::vector<const Entry *> ordered;
    for (const SkinPackTable table : { SkinPackTable::Descriptions, SkinPackTable::PageTexts }) {
        for (const Entry &entry : m_entries) {
            if (entry.table == table)
                ordered.push_back(&entry);
        }
    }

    const qint64 tablesEnd = pack::kHeaderSize + pack::kRecordSize * static_cast<qint64>(ordered.size());
    qint64 total = tablesEnd;
    for (const Entry *entry : ordered)
        total += entry->bytes.size();

    QByteArray out(total, '\0');
    char *data = out.data();
    std::copy_n(pack::kMagic, pack::kMagicSize, data);
    data[pack::kMarkerOffset] = pack::kMarker;
    PutName(out, pack::kPackNameOffset, packName);
    qToLittleEndian<quint64>(static_cast<quint64>(total), data + pack::kTotalLengthOffset);
    qToLittleEndian<qint32>(Count(SkinPackTable::Descriptions), data + pack::kDescriptionCountOffset);
    qToLittleEndian<qint32>(Count(SkinPackTable::PageTexts), data + pack::kPageTextCountOffset);
    std::copy(key.begin(), key.end(), data + pack::kKeyOffset);

    qint64 record = pack::kHeaderSize;
    qint64 dataOffset = tablesEnd;
    for (const Entry *entry : ordered) {
        PutName(out, record + pack::kRecordNameOffset, entry->name);
        qToLittleEndian<quint64>(static_cast<quint64>(dataOffset), data + record + pack::kRecordDataOffset);
        qToLittleEndian<quint64>(
            static_cast<quint64>(entry->bytes.size()), data + record + pack::kRecordLengthOffset);
        auto *coded = reinterpret_cast<uint8_t *>(data + dataOffset);
        std::copy(entry->bytes.begin(), entry->bytes.end(), data + dataOffset);
        CRC4().Encode(coded, static_cast<size_t>(entry->bytes.size()), key.data(), pack::kKeySize);
        record += pack::kRecordSize;
        dataOffset += entry->bytes.size();
    }
    return out;
}

bool CSkinPackWriter::Write(const QString &path, QString *error) const
{
    const QByteArray bytes = Build(QFileInfo(path).fileName(), error);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace skin
