#include "i18n/UiLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>

namespace i18n {

UiLanguage ChooseLanguage(const QString &choice, const QLocale &desktop)
{
    const QString wanted = choice.trimmed().toLower();
    if (wanted == QLatin1String(kLanguageKorean))
        return UiLanguage::Korean;
    if (wanted == QLatin1String(kLanguageEnglish))
        return UiLanguage::English;
    return desktop.language() == QLocale::Korean ? UiLanguage::Korean : UiLanguage::English;
}

QString SkinPackFor(const QString &pack, UiLanguage language, const QString &folder)
{
    if (language == UiLanguage::Korean)
        return pack;
    const QFileInfo info(pack);
    const QString suffix = info.suffix();
    QString english = info.completeBaseName() + QStringLiteral("_en");
    if (!suffix.isEmpty())
        english += QLatin1Char('.') + suffix;
    if (info.path() != QLatin1String("."))
        english = info.path() + QLatin1Char('/') + english;
    return QFileInfo::exists(QDir(folder).filePath(english)) ? english : pack;
}

ProgramTranslation::ProgramTranslation() = default;

ProgramTranslation::~ProgramTranslation()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

bool ProgramTranslation::Apply(UiLanguage language, const QString &folder, QString *error)
{
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    m_language = UiLanguage::Korean;
    if (language == UiLanguage::Korean)
        return true;
    auto translator = std::make_unique<QTranslator>();
    const QString file = QDir(folder).filePath(QString::fromLatin1(kEnglishTranslationFile));
    if (!translator->load(file)) {
        *error = QStringLiteral("cannot load the English translation %1").arg(file);
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
    m_language = UiLanguage::English;
    return true;
}

} // namespace i18n
