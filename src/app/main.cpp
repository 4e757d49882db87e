#include "app/CTAVINApp.h"
#include "app/CommandLine.h"
#include "app/QtUserMessages.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // The arguments are read before the application object exists: making it needs a display,
    // and --help, --version and a mistyped option must answer without one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    const CommandLine commandLine(arguments, QDir::currentPath());
    switch (commandLine.ToDo()) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        Print(stdout, commandLine.Text());
        return 0;
    case CommandLine::Action::Refuse:
        Print(stderr, commandLine.Text());
        return CommandLine::kUsageExitCode;
    case CommandLine::Action::Run:
        break;
    }
    for (const QString &warning : commandLine.Warnings())
        Print(stderr, warning + QLatin1Char('\n'));

    // Qt sees only the program: the arguments are ours, and a file name must never be taken
    // for one of Qt's own options.
    int qtArgc = 1;
    // The map's web engine shares its graphics contexts with the windows' and must be told first.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(qtArgc, argv);
    QtUserMessages messages;
    AppEnvironment environment;
    environment.programPath = QCoreApplication::applicationFilePath();
    environment.messages = &messages;
    commandLine.FillEnvironment(environment);
    CTAVINApp app(environment);
    app.InitInstance();
    return app.ExitCode();
}
