#include "skin/core/CRC4.h"
#include "skin/core/CSkinPackStore.h"
#include "skin/core/CSkinPackWriter.h"
#include "skin/core/SkinPackReader.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace skin;

namespace {

const QString kKorean = QStringLiteral("<dialog title=\"설정\">저장 경로</dialog>");

CSkinPackWriter::Key fixedKey()
{
    CSkinPackWriter::Key key;
    for (int i = 0; i < pack::kKeySize; ++i)
        key[i] = static_cast<uint8_t>(0xA0 + i);
    return key;
}

CSkinPackWriter sampleWriter()
{
    CSkinPackWriter writer;
    writer.SetKey(fixedKey());
    EXPECT_TRUE(writer.AddEntry(SkinPackTable::Descriptions, QStringLiteral("Main_Small"), kKorean));
    EXPECT_TRUE(writer.AddEntry(
        SkinPackTable::PageTexts, QStringLiteral("map"), QStringLiteral("<html>지도</html>")));
    EXPECT_TRUE(
        writer.AddEntry(SkinPackTable::Descriptions, QStringLiteral("setup"), QStringLiteral("<s/>")));
    return writer;
}

quint64 u64(const QByteArray &bytes, qint64 offset)
{
    return qFromLittleEndian<quint64>(bytes.constData() + offset);
}

qint32 i32(const QByteArray &bytes, qint64 offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

QString name(const QByteArray &bytes, qint64 offset)
{
    QString out;
    for (int unit = 0; unit < pack::kNameUnits; ++unit) {
        const char16_t c = qFromLittleEndian<quint16>(bytes.constData() + offset + 2 * unit);
        if (!c)
            break;
        out += QChar(c);
    }
    return out;
}

class SkinPackFiles : public testing::Test
{
protected:
    QString write(const QString &fileName, const QByteArray &bytes)
    {
        EXPECT_TRUE(testsupport::WriteFile(m_dir.filePath(fileName), bytes));
        return m_dir.filePath(fileName);
    }

    int load(const QString &fileName, const QByteArray &bytes)
    {
        m_store.Clear();
        m_broken.clear();
        return LoadSkinPack(write(fileName, bytes), m_store, &m_broken);
    }

    QTemporaryDir m_dir;
    CSkinPackStore m_store;
    QStringList m_broken;
};

// Offsets of the sample pack's records: two descriptions, then the page text.
constexpr qint64 kRecord0 = pack::kHeaderSize;
constexpr qint64 kRecord1 = pack::kHeaderSize + pack::kRecordSize;
constexpr qint64 kRecord2 = pack::kHeaderSize + 2 * pack::kRecordSize;

void put32(QByteArray &bytes, qint64 offset, qint32 value)
{
    qToLittleEndian<qint32>(value, bytes.data() + offset);
}

void put64(QByteArray &bytes, qint64 offset, quint64 value)
{
    qToLittleEndian<quint64>(value, bytes.data() + offset);
}

TEST(SkinPackWriter, HeaderAndRecordLayout)
{
    const QByteArray bytes = sampleWriter().Build(QStringLiteral("default.skin"));
    ASSERT_GT(bytes.size(), kRecord2 + pack::kRecordSize);
    EXPECT_EQ(bytes.left(21), QByteArray("Wend skin pack file.\0", 21));
    EXPECT_EQ(bytes.mid(21, 9), QByteArray(9, '\0'));
    EXPECT_EQ(bytes[30], '\x1A');
    EXPECT_EQ(name(bytes, 32), QStringLiteral("default.skin"));
    EXPECT_EQ(bytes.mid(32 + 2 * 12, 520 - 2 * 12), QByteArray(520 - 2 * 12, '\0'));
    EXPECT_EQ(u64(bytes, 552), static_cast<quint64>(bytes.size()));
    EXPECT_EQ(i32(bytes, 560), 0);
    EXPECT_EQ(i32(bytes, 564), 2);
    EXPECT_EQ(i32(bytes, 568), 1);
    const CSkinPackWriter::Key key = fixedKey();
    EXPECT_EQ(bytes.mid(572, 16), QByteArray(reinterpret_cast<const char *>(key.data()), 16));

    // Descriptions first in the order added, then the page texts; data right after the tables.
    EXPECT_EQ(name(bytes, kRecord0), QStringLiteral("Main_Small"));
    EXPECT_EQ(name(bytes, kRecord1), QStringLiteral("setup"));
    EXPECT_EQ(name(bytes, kRecord2), QStringLiteral("map"));
    const quint64 firstData = u64(bytes, kRecord0 + 520);
    EXPECT_EQ(firstData, static_cast<quint64>(kRecord2 + pack::kRecordSize));
    const quint64 firstLength = u64(bytes, kRecord0 + 528);
    EXPECT_EQ(firstLength, static_cast<quint64>((kKorean.size() + 1) * 2)); // with the byte-order mark
    EXPECT_EQ(u64(bytes, kRecord1 + 520), firstData + firstLength);

    // The data is the coded UTF-16LE text with its byte-order mark.
    QByteArray data = bytes.mid(static_cast<qsizetype>(firstData), static_cast<qsizetype>(firstLength));
    CRC4().Decode(reinterpret_cast<uint8_t *>(data.data()), static_cast<size_t>(data.size()), key.data(), 16);
    EXPECT_EQ(data.left(2), QByteArray("\xFF\xFE"));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(data.constData() + 2), kKorean.size()),
        kKorean);
}

TEST(SkinPackWriter, RefusesBadNames)
{
    CSkinPackWriter writer;
    QString error;
    EXPECT_FALSE(writer.AddEntry(SkinPackTable::Descriptions, QString(), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(
        writer.AddEntry(SkinPackTable::Descriptions, QString(260, QLatin1Char('n')), QStringLiteral("x")));
    EXPECT_TRUE(
        writer.AddEntry(SkinPackTable::Descriptions, QString(259, QLatin1Char('n')), QStringLiteral("x")));
    EXPECT_TRUE(writer.AddEntry(SkinPackTable::Descriptions, QStringLiteral("Main"), QStringLiteral("x")));
    error.clear();
    EXPECT_FALSE(
        writer.AddEntry(SkinPackTable::Descriptions, QStringLiteral("MAIN"), QStringLiteral("y"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("MAIN")));
    EXPECT_TRUE(writer.AddEntry(SkinPackTable::PageTexts, QStringLiteral("main"), QStringLiteral("y")));
    EXPECT_TRUE(writer.Build(QString(260, QLatin1Char('p'))).isEmpty());
}

TEST(SkinPackWriter, FreshRandomKeyPerBuild)
{
    CSkinPackWriter writer;
    writer.AddEntry(SkinPackTable::Descriptions, QStringLiteral("a"), QStringLiteral("<a/>"));
    const QByteArray first = writer.Build(QStringLiteral("p.skin"));
    const QByteArray second = writer.Build(QStringLiteral("p.skin"));
    EXPECT_NE(first.mid(572, 16), second.mid(572, 16));
    EXPECT_NE(first.mid(572, 16), QByteArray(16, '\0'));
}

TEST_F(SkinPackFiles, RoundTripThroughWriterAndLoader)
{
    QString error;
    const QString path = m_dir.filePath(QStringLiteral("default.skin"));
    ASSERT_TRUE(sampleWriter().Write(path, &error)) << error.toStdString();
    ASSERT_EQ(LoadSkinPack(path, m_store), kSkinPackOk);

    EXPECT_EQ(m_store.Count(SkinPackTable::Descriptions), 2);
    EXPECT_EQ(m_store.Count(SkinPackTable::PageTexts), 1);
    EXPECT_EQ(m_store.Names(SkinPackTable::Descriptions), QStringList({ "main_small", "setup" }));

    // Both sides are lower-cased, so any spelling finds the entry.
    for (const QString &spelling :
        { QStringLiteral("main_small"), QStringLiteral("MAIN_SMALL"), QStringLiteral("Main_Small") }) {
        const std::optional<QString> text = m_store.FindDescription(spelling);
        ASSERT_TRUE(text.has_value()) << spelling.toStdString();
        EXPECT_EQ(*text, QChar(0xFEFF) + kKorean); // the byte-order mark is the reader's business
    }
    const QByteArray *raw = m_store.FindData(SkinPackTable::Descriptions, QStringLiteral("main_small"));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->size(), (kKorean.size() + 1) * 2 + 2);
    EXPECT_EQ(raw->right(2), QByteArray(2, '\0'));

    EXPECT_EQ(
        *m_store.FindPageText(QStringLiteral("MAP")), QChar(0xFEFF) + QStringLiteral("<html>지도</html>"));
    // Tables are separate: a page text is not a description.
    EXPECT_FALSE(m_store.FindDescription(QStringLiteral("map")).has_value());
    EXPECT_FALSE(m_store.FindPageText(QStringLiteral("setup")).has_value());
}

TEST_F(SkinPackFiles, ValidOnlyUnderItsOwnFileName)
{
    const QByteArray bytes = sampleWriter().Build(QStringLiteral("default.skin"));
    EXPECT_EQ(load(QStringLiteral("default.skin"), bytes), kSkinPackOk);
    EXPECT_EQ(load(QStringLiteral("other.skin"), bytes), kSkinPackBadHeader);
    EXPECT_EQ(load(QStringLiteral("Default.skin"), bytes), kSkinPackBadHeader);
    EXPECT_EQ(m_store.Count(SkinPackTable::Descriptions), 0);
}

TEST_F(SkinPackFiles, TotalLengthMustMatchTheFile)
{
    const QByteArray bytes = sampleWriter().Build(QStringLiteral("p.skin"));
    EXPECT_EQ(load(QStringLiteral("p.skin"), bytes + QByteArray(1, '\0')), kSkinPackBadHeader);
    EXPECT_EQ(load(QStringLiteral("p.skin"), bytes.chopped(1)), kSkinPackBadHeader);
    QByteArray highHalf = bytes;
    put64(highHalf, 552, u64(bytes, 552) | (quint64(1) << 32));
    EXPECT_EQ(load(QStringLiteral("p.skin"), highHalf), kSkinPackBadHeader);
}

TEST_F(SkinPackFiles, OpenAndShortHeaderFailures)
{
    EXPECT_EQ(LoadSkinPack(m_dir.filePath(QStringLiteral("missing.skin")), m_store), kSkinPackCannotOpen);
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.skin"));
    EXPECT_EQ(LoadSkinPack(m_dir.filePath(QStringLiteral("folder.skin")), m_store), kSkinPackCannotOpen);
    EXPECT_EQ(load(QStringLiteral("empty.skin"), QByteArray()), kSkinPackShortRead);
    const QByteArray bytes = sampleWriter().Build(QStringLiteral("p.skin"));
    EXPECT_EQ(load(QStringLiteral("p.skin"), bytes.left(pack::kHeaderSize - 1)), kSkinPackShortRead);
}

TEST_F(SkinPackFiles, NoPageTexts)
{
    QByteArray bytes = sampleWriter().Build(QStringLiteral("p.skin"));
    put32(bytes, pack::kPageTextCountOffset, 0);
    EXPECT_EQ(load(QStringLiteral("p.skin"), bytes), kSkinPackOk);
    EXPECT_EQ(m_store.Count(SkinPackTable::Descriptions), 2);
    EXPECT_EQ(m_store.Count(SkinPackTable::PageTexts), 0);
    EXPECT_FALSE(m_store.FindPageText(QStringLiteral("map")).has_value());
}

TEST_F(SkinPackFiles, EmptyEntry)
{
    QByteArray bytes = sampleWriter().Build(QStringLiteral("p.skin"));
    put64(bytes, kRecord1 + pack::kRecordLengthOffset, 0);
    ASSERT_EQ(load(QStringLiteral("p.skin"), bytes), kSkinPackOk);
    EXPECT_EQ(*m_store.FindDescription(QStringLiteral("setup")), QString());
    EXPECT_EQ(*m_store.FindData(SkinPackTable::Descriptions, QStringLiteral("setup")), QByteArray(2, '\0'));
}

struct Damage {
    const char *label;
    std::function<void(QByteArray &)> apply;
    int result;
    int descriptionsKept;
    const char *broken; // the entry named as damaged, or none
};

class DamagedPacks : public SkinPackFiles, public testing::WithParamInterface<Damage>
{
};

// An entry whose data lies outside the file is skipped and named, and the entries after it are
// still read; a record that cannot be read ends the reading, keeping what came before.
TEST_P(DamagedPacks, ReturnTheirResult)
{
    QByteArray bytes = sampleWriter().Build(QStringLiteral("p.skin"));
    GetParam().apply(bytes);
    EXPECT_EQ(load(QStringLiteral("p.skin"), bytes), GetParam().result);
    EXPECT_EQ(m_store.Count(SkinPackTable::Descriptions), GetParam().descriptionsKept);
    EXPECT_EQ(
        m_broken, GetParam().broken ? QStringList { QString::fromLatin1(GetParam().broken) } : QStringList());
    if (GetParam().broken)
        EXPECT_TRUE(m_store.FindPageText(QStringLiteral("map")).has_value());
}

INSTANTIATE_TEST_SUITE_P(SkinPack, DamagedPacks,
    testing::Values(
        Damage { "length_high_half", [](QByteArray &b) { put64(b, kRecord1 + 528, quint64(1) << 32 | 4); }, 2,
            1, "setup" },
        Damage {
            "length_past_end", [](QByteArray &b) { put64(b, kRecord1 + 528, u64(b, 552)); }, 2, 1, "setup" },
        Damage {
            "length_huge", [](QByteArray &b) { put64(b, kRecord0 + 528, 0x7FFFFFFF); }, 2, 1, "Main_Small" },
        Damage { "offset_past_end", [](QByteArray &b) { put64(b, kRecord0 + 520, u64(b, 552) + 1); }, 2, 1,
            "Main_Small" },
        Damage {
            "offset_wraps", [](QByteArray &b) { put64(b, kRecord1 + 520, ~quint64(0) - 1); }, 2, 1, "setup" },
        Damage { "offset_plus_length_past_end",
            [](QByteArray &b) { put64(b, kRecord1 + 520, u64(b, 552) - 2); }, 2, 1, "setup" },
        // The page text record is then read as a third description before the records run out.
        Damage { "huge_first_count", [](QByteArray &b) { put32(b, 564, 0x7FFFFFFF); }, 2, 3, nullptr },
        Damage { "huge_second_count", [](QByteArray &b) { put32(b, 568, 0x7FFFFFFF); }, 2, 2, nullptr },
        Damage { "negative_first_count", [](QByteArray &b) { put32(b, 564, -5); }, 2, 0, nullptr },
        Damage { "negative_counts",
            [](QByteArray &b) {
                put32(b, 564, -1);
                put32(b, 568, -1);
            },
            0, 0, nullptr },
        Damage { "most_negative_count", [](QByteArray &b) { put32(b, 564, INT32_MIN); }, 2, 0, nullptr }),
    [](const testing::TestParamInfo<Damage> &info) { return std::string(info.param.label); });

TEST(SkinPackStore, LaterEntryWithTheSameNameWins)
{
    CSkinPackStore store;
    auto utf16 = [](const QString &text) {
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    };
    store.Insert(SkinPackTable::Descriptions, QStringLiteral("Main"), utf16(QStringLiteral("first")));
    store.Insert(SkinPackTable::Descriptions, QStringLiteral("MAIN"), utf16(QStringLiteral("second")));
    EXPECT_EQ(store.Count(SkinPackTable::Descriptions), 1);
    EXPECT_EQ(*store.FindDescription(QStringLiteral("main")), QStringLiteral("second"));
}

TEST_F(SkinPackFiles, ReaderKeepsStoredNamesAndOrder)
{
    const QString path = write(QStringLiteral("p.skin"), sampleWriter().Build(QStringLiteral("p.skin")));
    std::vector<std::pair<int, QString>> seen;
    EXPECT_EQ(
        ReadSkinPack(path,
            [&](SkinPackEntry &&entry) { seen.emplace_back(static_cast<int>(entry.table), entry.name); }),
        kSkinPackOk);
    const std::vector<std::pair<int, QString>> expected { { 1, "Main_Small" }, { 1, "setup" }, { 2, "map" } };
    EXPECT_EQ(seen, expected);
}

} // namespace
