#include "FfmpegTools.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace fftools {

RunResult run(const QString &program, const QStringList &args, int timeoutMs)
{
    RunResult result;
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000)) {
        result.err = QStringLiteral("%1 did not start: %2").arg(program, process.errorString()).toUtf8();
        return result;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("%1 timed out").arg(program).toUtf8();
        return result;
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return result;
}

QString makeAvi(const QString &path, const QStringList &inputs, const QStringList &arguments)
{
    QStringList args { QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
        QStringLiteral("-y") };
    for (const QString &input : inputs)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i") << input;
    args << arguments << path;
    const RunResult result = run(QStringLiteral("ffmpeg"), args);
    return result.ok ? QString()
                     : QString::fromUtf8(result.err) + QStringLiteral(" (ffmpeg ") + args.join(' ') + ')';
}

std::optional<Probe> probe(const QString &path, QString *error)
{
    const RunResult result = run(QStringLiteral("ffprobe"),
        { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-of"), QStringLiteral("json"),
            QStringLiteral("-show_streams"), QStringLiteral("-show_packets"), path });
    if (!result.ok) {
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
