#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace skinart {

// Folder of the English skin's bitmaps, beside the Korean one; the English descriptions name
// their bitmaps from here.
inline constexpr const char *kEnglishSkinBitmapFolder = "skin/default_en";
// The English text table of the default skin, in its description folder.
inline constexpr const char *kEnglishTextTable = "texts_en.tsv";

bool ContainsHangul(const QString &text);

// The default skin's English texts, keyed by the Korean text they replace (one table serves
// the descriptions and the bitmaps). File: UTF-8 lines "Korean<TAB>English"; '#' starts a
// comment line. A line "@name<TAB>English" gives the keyed text of that name (<text name="name">)
// its own English, for a Korean word that reads the same elsewhere but means another thing there.
class TextTable
{
public:
    bool Load(const QString &path, QString *error);
    // The English text of `korean`; a null string when the table lacks it.
    QString Find(const QString &korean) const { return m_texts.value(korean); }
    // The English of the keyed text `name` when it has its own; a null string otherwise.
    QString FindKeyed(const QString &name) const { return m_keyed.value(name); }
    int Size() const { return int(m_texts.size() + m_keyed.size()); }

private:
    QHash<QString, QString> m_texts;
    QHash<QString, QString> m_keyed;
};

// Writes every description (*.xml) and page (*.html) of `skinDir` into `outDir` with each Korean text
// (element text or attribute value) replaced by its English one and every bitmap taken from the English
// bitmap folder. Korean texts the table lacks stay Korean and are listed in `missing` (the
// English pack's test fails on them; the build goes on, so that a new text never stops it).
bool TranslateDescriptions(const QString &skinDir, const TextTable &table, const QString &outDir,
    QStringList *missing, QString *error);

} // namespace skinart
