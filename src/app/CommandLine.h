#pragma once

#include <QString>
#include <QStringList>

struct AppEnvironment;

// The viewer's arguments: recordings to play, folders to treat as cards, --help and --version.
// Read before any window system is touched, so that --help and --version work without a display.
class CommandLine
{
public:
    enum class Action {
        Run, // start the viewer
        ShowHelp, // print Text() on standard output and end with 0
        ShowVersion, // likewise
        Refuse, // print Text() on standard error and end with kUsageExitCode
    };
    static constexpr int kUsageExitCode = 2;

    // `arguments` starts with the program as it was called. Relative paths are taken from
    // `currentFolder`.
    explicit CommandLine(const QStringList &arguments, const QString &currentFolder);

    Action ToDo() const { return m_action; }
    // The help or version text, or why the arguments were refused.
    QString Text() const { return m_text; }
    // Files that were given but cannot be passed on, each with its reason; the others still play.
    const QStringList &Warnings() const { return m_warnings; }

    // The given recordings as absolute paths, each in double quotes, separated by one space.
    QString QuotedFiles() const { return m_quotedFiles; }
    const QStringList &CardFolders() const { return m_cardFolders; }

    void FillEnvironment(AppEnvironment &environment) const;

    static QString Version();

private:
    void Refuse(const QString &reason, const QString &programName);

    Action m_action = Action::Run;
    QString m_text;
    QStringList m_warnings;
    QString m_quotedFiles;
    QStringList m_cardFolders;
};
