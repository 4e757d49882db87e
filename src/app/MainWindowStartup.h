#pragma once

#include <QString>

class CAppRegistry;
class UserMessages;
struct MainWindowSettings;
namespace platform {
class SettingsBackend;
}

// The program's name: its file name without the extension.
QString ApplicationNameOf(const QString &programPath);
// The settings layout beside the program: <folder>/<application name>.xml
QString LayoutPathOf(const QString &programPath);

extern const char kLayoutErrorText[]; // "Fail to load skin file. Please reinstall program."

// The first steps of the main window's initialisation, before any skin is loaded: the
// decoders' and the browser's settings, then the settings layout beside the program,
// loaded into `registry` with every variable of `variables` bound. When the layout cannot
// be read it shows the error box (caption: the application name, no skin being loaded
// yet) and returns false; the main window then closes.
bool RunMainWindowStartup(const QString &programPath, platform::SettingsBackend &settings,
    UserMessages &messages, CAppRegistry &registry, MainWindowSettings &variables);
