#include "i18n/UiLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QTranslator>

namespace i18n {

namespace {
    Q_LOGGING_CATEGORY(lcI18n, "tavin.i18n", QtInfoMsg)
} // namespace

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

ProgramTranslation::ProgramTranslation()
    : m_qtFolder(QLibraryInfo::path(QLibraryInfo::TranslationsPath))
{
}

ProgramTranslation::~ProgramTranslation()
{
    Remove();
}

void ProgramTranslation::Remove()
{
    for (std::unique_ptr<QTranslator> *translator : { &m_translator, &m_qtTranslator }) {
        if (*translator) {
            QCoreApplication::removeTranslator(translator->get());
            translator->reset();
        }
    }
}

void ProgramTranslation::InstallQtKorean()
{
    auto translator = std::make_unique<QTranslator>();
    // Qt's translations are a separate package; without them only Qt's own texts stay English,
    // which is no reason to stop the program.
    if (!translator->load(QLocale(QLocale::Korean, QLocale::SouthKorea),
            QString::fromLatin1(kQtTranslationBase), QStringLiteral("_"), m_qtFolder)) {
        qCWarning(lcI18n) << "cannot load Qt's Korean translation" << kQtTranslationBase << "from"
                          << m_qtFolder << "- Qt's own buttons and dialogs stay English";
        return;
    }
    QCoreApplication::installTranslator(translator.get());
    m_qtTranslator = std::move(translator);
}

bool ProgramTranslation::Apply(UiLanguage language, const QString &folder, QString *error)
{
    Remove();
    m_language = UiLanguage::Korean;
    if (language == UiLanguage::English) {
        auto translator = std::make_unique<QTranslator>();
        const QString file = QDir(folder).filePath(QString::fromLatin1(kEnglishTranslationFile));
        if (translator->load(file)) {
            QCoreApplication::installTranslator(translator.get());
            m_translator = std::move(translator);
            m_language = UiLanguage::English;
            return true;
        }
        *error = QStringLiteral("cannot load the English translation %1").arg(file);
    }
    // Korean, chosen or fallen back to: Qt's texts speak it with the program's.
    InstallQtKorean();
    return language == UiLanguage::Korean;
}

} // namespace i18n
