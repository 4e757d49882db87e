#include "FfmpegTools.h"

#include "support/Process.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace fftools {

QString makeAvi(const QString &path, const QStringList &inputs, const QStringList &arguments)
{
    QStringList args { QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
        QStringLiteral("-y") };
    for (const QString &input : inputs)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i") << input;
    args << arguments << path;
    const testsupport::ProcessResult result = testsupport::RunProgram(QStringLiteral("ffmpeg"), args);
    return result.Ok() ? QString()
                       : QString::fromUtf8(result.err) + QStringLiteral(" (ffmpeg ") + args.join(' ') + ')';
}

std::optional<Probe> probe(const QString &path, QString *error)
{
    const testsupport::ProcessResult result = testsupport::RunProgram(QStringLiteral("ffprobe"),
        { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-of"), QStringLiteral("json"),
            QStringLiteral("-show_streams"), QStringLiteral("-show_packets"), path });
    if (!result.Ok()) {
        if (error)
            *error = QString::fromUtf8(result.err);
        return std::nullopt;
    }
    const QJsonObject root = QJsonDocument::fromJson(result.out).object();
    Probe info;
    int videoIndex = -1;
    int audioIndex = -1;
    for (const QJsonValue &value : root.value(QStringLiteral("streams")).toArray()) {
        const QJsonObject stream = value.toObject();
        const QString type = stream.value(QStringLiteral("codec_type")).toString();
        if (type == QLatin1String("video") && videoIndex < 0) {
            videoIndex = stream.value(QStringLiteral("index")).toInt();
            info.videoFrames = stream.value(QStringLiteral("nb_frames")).toString().toLongLong();
            info.videoDuration = stream.value(QStringLiteral("duration")).toString().toDouble();
            info.width = stream.value(QStringLiteral("width")).toInt();
            info.height = stream.value(QStringLiteral("height")).toInt();
        } else if (type == QLatin1String("audio") && audioIndex < 0) {
            audioIndex = stream.value(QStringLiteral("index")).toInt();
            info.hasAudio = true;
        }
    }
    for (const QJsonValue &value : root.value(QStringLiteral("packets")).toArray()) {
        const QJsonObject packet = value.toObject();
        const int index = packet.value(QStringLiteral("stream_index")).toInt();
        const qint64 size = packet.value(QStringLiteral("size")).toString().toLongLong();
        if (size % 2)
            ++info.oddPackets;
        if (size == 0)
            ++info.emptyPackets;
        if (index == videoIndex) {
            ++info.videoPackets;
            info.videoBytes += size;
        } else if (index == audioIndex) {
            ++info.audioPackets;
            info.audioBytes += size;
        }
    }
    return info;
}

} // namespace fftools
