#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class UserMessages;
namespace i18n {
class ProgramTranslation;
enum class UiLanguage;
}
struct MainWindowSettings;
namespace platform {
class SettingsBackend;
class SingleInstanceLock;
}

// Where the application finds its files, its settings and its message boxes. Tests point
// every entry at temporary places.
struct AppEnvironment {
    QString programPath; // the executable; its folder holds the settings layout and the skin
    QString lockFolder; // empty: the user's runtime folder
    QString settingsLocation; // empty: the platform's place for the user's settings
    platform::SettingsBackend *settings = nullptr; // used instead of settingsLocation when set
    UserMessages *messages = nullptr;
    // The recordings given to the program, as one command line of double-quoted paths (the
    // recording library splits it); empty when none were given.
    QString commandLine;
    // Folders given with --card: each counts as an inserted card that can never be formatted.
    QStringList cardFolders;
};

// The application object: lets only one copy run and runs the main window; when that
// ends, the program ends.
class CTAVINApp
{
public:
    explicit CTAVINApp(AppEnvironment environment);
    ~CTAVINApp();
    CTAVINApp(const CTAVINApp &) = delete;
    CTAVINApp &operator=(const CTAVINApp &) = delete;

    // Always false: the program ends when it returns (after the main window has ended, or
    // at once for a second copy).
    bool InitInstance();

    // 0 after a normal run, 1 when this copy was refused or the main window failed to start.
    int ExitCode() const { return m_exitCode; }

    // "이미 실행중입니다." in the language of the program's texts.
    static QString AlreadyRunningText();

protected:
    // Runs the main window to its end; returns false when it could not start.
    virtual bool RunMainWindow(platform::SettingsBackend &settings);
    // Shows the main window with the start-up's settings and returns when it closed; false when
    // it could not start.
    virtual bool RunWindow(MainWindowSettings &variables);

    const AppEnvironment &Environment() const { return m_environment; }
    // Speaks the language of `choice` ("ko", "en", empty: the desktop's); returns it.
    i18n::UiLanguage ApplyLanguage(const QString &choice);

private:
    AppEnvironment m_environment;
    // Held until the application object ends with the process.
    std::unique_ptr<platform::SingleInstanceLock> m_instanceLock;
    std::unique_ptr<i18n::ProgramTranslation> m_translation;
    int m_exitCode = 0;
};
