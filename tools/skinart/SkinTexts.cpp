#include "skinart/SkinTexts.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace skinart {

bool ContainsHangul(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Syllables, and the compatibility jamo a text may hold on its own.
        if ((u >= 0xAC00 && u <= 0xD7A3) || (u >= 0x3130 && u <= 0x318F))
            return true;
    }
    return false;
}

bool TextTable::Load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    m_texts.clear();
    m_keyed.clear();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        const QString korean = line.left(tab).trimmed();
        const QString english = tab < 0 ? QString() : line.mid(tab + 1).trimmed();
        // An English text that still holds Hangul would pass for a translation and is none.
        if (tab < 0 || korean.isEmpty() || english.isEmpty() || ContainsHangul(english)) {
            *error = QStringLiteral("%1:%2: not \"Korean<TAB>English\"").arg(path).arg(i + 1);
            return false;
        }
        QHash<QString, QString> &texts = korean.startsWith(QLatin1Char('@')) ? m_keyed : m_texts;
        const QString key = korean.startsWith(QLatin1Char('@')) ? korean.mid(1) : korean;
        if (key.isEmpty() || (texts.contains(key) && texts.value(key) != english)) {
            *error = QStringLiteral("%1:%2: a second English text for %3").arg(path).arg(i + 1).arg(korean);
            return false;
        }
        texts.insert(key, english);
    }
    return true;
}

namespace {

    QString Escaped(QString text)
    {
        return text.replace(QLatin1Char('&'), QLatin1String("&amp;"))
            .replace(QLatin1Char('<'), QLatin1String("&lt;"))
            .replace(QLatin1Char('>'), QLatin1String("&gt;"))
            .replace(QLatin1Char('"'), QLatin1String("&quot;"));
    }

    // The name of the keyed text whose element text follows the tag closed at `tagEnd`; a null
    // string when that tag is not a named <text>.
    QString KeyedTextName(const QString &description, qsizetype tagEnd)
    {
        static const QRegularExpression keyed(QStringLiteral(R"re(^<text\b[^>]*\bname="([^"]*)")re"));
        const qsizetype open = description.lastIndexOf(QLatin1Char('<'), tagEnd);
        if (open < 0)
            return QString();
        const QRegularExpressionMatch match = keyed.match(description.mid(open, tagEnd - open));
        return match.hasMatch() ? match.captured(1) : QString();
    }

} // namespace

bool TranslateDescriptions(const QString &skinDir, const TextTable &table, const QString &outDir,
    QStringList *missing, QString *error)
{
    const QDir in(skinDir);
    if (!QDir().mkpath(outDir)) {
        *error = QStringLiteral("cannot create %1").arg(outDir);
        return false;
    }
    // Element text between tags, or an attribute value.
    static const QRegularExpression textPattern(QStringLiteral(R"re(>([^<]*)<|="([^"]*)")re"));
    const QString koreanFolder = QStringLiteral("\"skin/default/");
    const QString englishFolder = QStringLiteral("\"%1/").arg(QLatin1String(kEnglishSkinBitmapFolder));
    const QStringList files
        = in.entryList({ QStringLiteral("*.xml"), QStringLiteral("*.html") }, QDir::Files, QDir::Name);
    for (const QString &name : files) {
        QFile source(in.filePath(name));
        if (!source.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(source.fileName(), source.errorString());
            return false;
        }
        const QString text = QString::fromUtf8(source.readAll());
        QString out;
        out.reserve(text.size());
        qsizetype done = 0;
        for (auto it = textPattern.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            const int group = match.capturedStart(1) >= 0 ? 1 : 2;
            const QString korean = match.captured(group);
            if (!ContainsHangul(korean))
                continue;
            const QString key = group == 1 ? KeyedTextName(text, match.capturedStart(0)) : QString();
            QString english = key.isEmpty() ? QString() : table.FindKeyed(key);
            if (english.isNull())
                english = table.Find(korean);
            if (english.isNull()) {
                missing->append(QStringLiteral("%1: %2").arg(name, korean));
                continue;
            }
            out += QStringView(text).mid(done, match.capturedStart(group) - done);
            out += Escaped(english);
            done = match.capturedEnd(group);
        }
        out += QStringView(text).mid(done);
        out.replace(koreanFolder, englishFolder);

        QFile target(QDir(outDir).filePath(name));
        const QByteArray bytes = out.toUtf8();
        if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate) || target.write(bytes) != bytes.size()) {
            *error = QStringLiteral("cannot write %1: %2").arg(target.fileName(), target.errorString());
            return false;
        }
    }
    return true;
}

} // namespace skinart
