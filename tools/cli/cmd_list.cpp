// tavin-cli list: the recordings of a card or folder as the recording library lists them.

#include "CliCommand.h"

#include "library/RecordingLibrary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace library;

namespace {

QString LetterText(QChar letter)
{
    return letter.isNull() ? QStringLiteral("-") : QString(letter);
}

int RunList(const QStringList &args)
{
    bool json = false;
    QString folder;
    if (!ParseFolderArguments(args, QStringLiteral("list"), &folder, &json))
        return 2;

    RecordingLibrary recordings;
    const RecordingLibrary::FolderResult result = recordings.ScanFolder(folder, {});
    if (!result.listed) {
        CliErr(QStringLiteral("tavin-cli list: %1: cannot be listed\n").arg(folder));
        return 1;
    }
    QJsonArray files;
    for (const Recording &recording : recordings.Recordings()) {
        const RecordingName name = ParseRecordingName(recording.path);
        const QString length = FormatLength(recording.lengthSeconds);
        if (json) {
            files.append(QJsonObject {
                { "path", recording.path },
                { "kind", LetterText(name.kindLetter) },
                { "channel", LetterText(name.channelLetter) },
                { "normal", recording.normal },
                { "event", recording.event },
                { "manual", recording.manual },
                { "archive", recording.archive },
                { "lengthSeconds", recording.lengthSeconds },
                { "length", length },
            });
            continue;
        }
        CliOut(QStringLiteral("%1\tkind=%2 channel=%3 normal=%4 event=%5 manual=%6 archive=%7 length=%8 %9\n")
                   .arg(recording.path, LetterText(name.kindLetter), LetterText(name.channelLetter))
                   .arg(int(recording.normal))
                   .arg(int(recording.event))
                   .arg(int(recording.manual))
                   .arg(int(recording.archive))
                   .arg(recording.lengthSeconds)
                   .arg(length));
    }
    if (json)
        CliOut(QString::fromUtf8(QJsonDocument(files).toJson(QJsonDocument::Indented)));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("list"),
    QStringLiteral("list DIR [--json]   the recordings of a card or folder in discovery order: kind and "
                   "channel letters, flags, length"),
    false, RunList);
