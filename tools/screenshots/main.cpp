// tavin-screenshots: the pictures of the user guide, taken of the real main window and its dialogs
// over a sample card (scripts/screenshots writes the card, runs this under Xvfb and shrinks them).
//
//   tavin-screenshots --card DIR --out DIR [--language en|ko]
//
// The settings, the archive and every other file the program keeps go to a temporary folder: the
// user's own are never read or written. Exit status 0 when every picture was saved, 1 when one could
// not be made (nothing blank is saved), 2 on a wrong command line.

#include "ShotApp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr char kUsage[] = "usage: tavin-screenshots --card DIR --out DIR [--language en|ko]\n";

void Print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The command line's options; false with the message when they are wrong.
bool ReadOptions(int argc, char **argv, screenshots::ShotOptions *options, QString *error)
{
    options->language = QStringLiteral("en");
    for (int i = 1; i < argc; ++i) {
        const QString arg = QFile::decodeName(argv[i]);
        QString *value = arg == QLatin1String("--card") ? &options->card
            : arg == QLatin1String("--out")             ? &options->out
            : arg == QLatin1String("--language")        ? &options->language
                                                        : nullptr;
        if (!value || i + 1 >= argc) {
            *error = QStringLiteral("unexpected argument '%1'").arg(arg);
            return false;
        }
        *value = QFile::decodeName(argv[++i]);
    }
    if (options->card.isEmpty() || options->out.isEmpty()) {
        *error = QStringLiteral("--card and --out are required");
        return false;
    }
    if (options->language != QLatin1String("en") && options->language != QLatin1String("ko")) {
        *error = QStringLiteral("--language takes en or ko");
        return false;
    }
    if (!QFileInfo(options->card).isDir()) {
        *error = QStringLiteral("no card folder at %1 (write one with `tavin-cli sample-card DIR`)")
                     .arg(options->card);
        return false;
    }
    options->card = QDir::cleanPath(QFileInfo(options->card).absoluteFilePath());
    options->out = QDir::cleanPath(QFileInfo(options->out).absoluteFilePath());
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    screenshots::ShotOptions options;
    QString error;
    if (argc == 2 && (qstrcmp(argv[1], "--help") == 0 || qstrcmp(argv[1], "-h") == 0)) {
        Print(stdout, QString::fromLatin1(kUsage));
        return 0;
    }
    if (!ReadOptions(argc, argv, &options, &error)) {
        Print(stderr, QStringLiteral("tavin-screenshots: %1\n").arg(error) + QString::fromLatin1(kUsage));
        return 2;
    }

    // Everything the program and its web engine keep (settings, archive, caches) goes here, set before
    // the application object reads the environment.
    QTemporaryDir scratch(QDir::temp().filePath(QStringLiteral("tavin-screenshots-XXXXXX")));
    if (!scratch.isValid()) {
        Print(stderr, QStringLiteral("tavin-screenshots: cannot make a temporary folder\n"));
        return 1;
    }
    for (const char *variable : { "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
        qputenv(variable, QFile::encodeName(scratch.filePath(QString::fromLatin1(variable).toLower())));
    // Also over an archive the caller named: the pictures never add a card to a real archive.
    qputenv("TAVIN_ARCHIVE_DB", QFile::encodeName(scratch.filePath(QStringLiteral("archive.sqlite"))));
    av_log_set_level(AV_LOG_ERROR);

    int qtArgc = 1; // the arguments are ours, never Qt's
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(qtArgc, argv);
    screenshots::PrintedMessages messages;
    AppEnvironment environment;
    // The viewer's own settings layout and skin packs lie beside this program in the build.
    environment.programPath
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tavin-viewer"));
    environment.lockFolder = scratch.filePath(QStringLiteral("lock"));
    QDir().mkpath(environment.lockFolder);
    environment.settingsLocation = scratch.filePath(QStringLiteral("settings.ini"));
    environment.messages = &messages;
    screenshots::ShotApp app(environment, options);
    app.InitInstance();
    if (messages.Any() || !app.Ok()) {
        Print(stderr,
            QStringLiteral("tavin-screenshots: %1\n")
                .arg(app.Error().isEmpty() ? QStringLiteral("the program did not start") : app.Error()));
        return 1;
    }
    for (const QString &path : app.Saved())
        Print(stdout, QDir::toNativeSeparators(path) + QLatin1Char('\n'));
    return 0;
}
