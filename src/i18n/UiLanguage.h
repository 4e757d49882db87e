#pragma once

#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

namespace i18n {

// The languages the program speaks. Korean is the language of its sources: its texts are
// written in Korean and English comes from the translation and the English skin pack.
enum class UiLanguage { Korean, English };

// The settings' values for the language ("\Config\Language" in the settings layout): empty
// follows the desktop.
inline constexpr const char *kLanguageKorean = "ko";
inline constexpr const char *kLanguageEnglish = "en";

// The language to speak: the settings' choice when it names one of ours, otherwise the
// desktop's: Korean on a Korean desktop, English on any other (the only other we speak).
UiLanguage ChooseLanguage(const QString &choice, const QLocale &desktop);

// The skin pack for the language, a file name beside the program: for English the pack's
// English sibling ("default.skin" -> "default_en.skin") when `folder` holds it, else `pack`.
QString SkinPackFor(const QString &pack, UiLanguage language, const QString &folder);

// The file of the program's English translation, compiled at build time beside the program.
inline constexpr const char *kEnglishTranslationFile = "tavin_en.qm";

// The program's fixed texts in the chosen language: English installs the translation from
// `folder`, Korean removes it (the texts of the sources stand). One per program.
class ProgramTranslation
{
public:
    ProgramTranslation();
    ~ProgramTranslation();
    ProgramTranslation(const ProgramTranslation &) = delete;
    ProgramTranslation &operator=(const ProgramTranslation &) = delete;

    // False with the reason when the English translation cannot be loaded; the texts then stay
    // Korean.
    bool Apply(UiLanguage language, const QString &folder, QString *error);
    UiLanguage Language() const { return m_language; }

private:
    std::unique_ptr<QTranslator> m_translator;
    UiLanguage m_language = UiLanguage::Korean;
};

} // namespace i18n
