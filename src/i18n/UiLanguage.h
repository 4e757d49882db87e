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

// Qt's own texts (standard buttons, the file and print dialogs) come from Qt's translations of
// this base name: "qtbase_ko.qm" for Korean. Qt's texts are English without one.
inline constexpr const char *kQtTranslationBase = "qtbase";

// The program's fixed texts in the chosen language, Qt's own texts with them. English installs the
// program's translation from `folder` (Qt speaks English by itself); Korean removes it, so that the
// texts of the sources stand, and installs Qt's Korean translation. One per program.
class ProgramTranslation
{
public:
    ProgramTranslation();
    ~ProgramTranslation();
    ProgramTranslation(const ProgramTranslation &) = delete;
    ProgramTranslation &operator=(const ProgramTranslation &) = delete;

    // Where Qt's translations are looked for: Qt's own folder unless set (tests point it elsewhere).
    void SetQtTranslationsFolder(const QString &folder) { m_qtFolder = folder; }
    QString QtTranslationsFolder() const { return m_qtFolder; }

    // False with the reason when the English translation cannot be loaded; the program then speaks
    // Korean. A missing Qt translation is only logged: Qt's texts then stay English.
    bool Apply(UiLanguage language, const QString &folder, QString *error);
    UiLanguage Language() const { return m_language; }
    // Whether Qt's own texts are translated (Korean with Qt's translation found).
    bool QtTranslated() const { return m_qtTranslator != nullptr; }

private:
    void Remove();
    void InstallQtKorean();

    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<QTranslator> m_qtTranslator;
    UiLanguage m_language = UiLanguage::Korean;
    QString m_qtFolder;
};

} // namespace i18n
