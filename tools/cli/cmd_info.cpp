// tavin-cli info: what the container walk finds in a recording, and its length.

#include "CliCommand.h"

#include "media/AviFileInfo.h"
#include "media/AviHeaderReader.h"
#include "media/RecordingLength.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace media;

namespace {

QString FourCc(const char code[4])
{
    QString text;
    for (int i = 0; i < 4; ++i) {
        const unsigned char c = static_cast<unsigned char>(code[i]);
        text += c >= 0x20 && c < 0x7f ? QChar(c) : QChar(u'.');
    }
    return text;
}

QString FourCc(std::uint32_t code)
{
    const char bytes[4] = { static_cast<char>(code & 0xff), static_cast<char>(code >> 8 & 0xff),
        static_cast<char>(code >> 16 & 0xff), static_cast<char>(code >> 24 & 0xff) };
    return FourCc(bytes);
}

QJsonObject MainHeaderJson(const AviMainHeader &h)
{
    return QJsonObject {
        { "MicroSecPerFrame", qint64(h.microSecPerFrame) },
        { "MaxBytesPerSec", qint64(h.maxBytesPerSec) },
        { "PaddingGranularity", qint64(h.paddingGranularity) },
        { "Flags", qint64(h.flags) },
        { "TotalFrames", qint64(h.totalFrames) },
        { "InitialFrames", qint64(h.initialFrames) },
        { "Streams", qint64(h.streams) },
        { "SuggestedBufferSize", qint64(h.suggestedBufferSize) },
        { "Width", qint64(h.width) },
        { "Height", qint64(h.height) },
        { "Reserved",
            QJsonArray { qint64(h.reserved[0]), qint64(h.reserved[1]), qint64(h.reserved[2]),
                qint64(h.reserved[3]) } },
    };
}

QJsonObject StreamHeaderJson(const AviStreamHeader &h)
{
    return QJsonObject {
        { "Type", FourCc(h.type) },
        { "Handler", FourCc(h.handler) },
        { "Flags", qint64(h.flags) },
        { "Priority", h.priority },
        { "Language", h.language },
        { "InitialFrames", qint64(h.initialFrames) },
        { "Scale", qint64(h.scale) },
        { "Rate", qint64(h.rate) },
        { "Start", qint64(h.start) },
        { "Length", qint64(h.length) },
        { "SuggestedBufferSize", qint64(h.suggestedBufferSize) },
        { "Quality", qint64(h.quality) },
        { "SampleSize", qint64(h.sampleSize) },
        { "Frame", QJsonArray { h.frameLeft, h.frameTop, h.frameRight, h.frameBottom } },
    };
}

QJsonObject VideoFormatJson(const AviBitmapInfoHeader &f)
{
    return QJsonObject {
        { "Size", qint64(f.size) },
        { "Width", f.width },
        { "Height", f.height },
        { "Planes", f.planes },
        { "BitCount", f.bitCount },
        { "Compression", FourCc(f.compression) },
        { "SizeImage", qint64(f.sizeImage) },
        { "XPelsPerMeter", f.xPelsPerMeter },
        { "YPelsPerMeter", f.yPelsPerMeter },
        { "ClrUsed", qint64(f.clrUsed) },
        { "ClrImportant", qint64(f.clrImportant) },
    };
}

QJsonObject AudioFormatJson(const AviWaveFormat &f)
{
    return QJsonObject {
        { "FormatTag", f.formatTag },
        { "Channels", f.channels },
        { "SamplesPerSec", qint64(f.samplesPerSec) },
        { "AvgBytesPerSec", qint64(f.avgBytesPerSec) },
        { "BlockAlign", f.blockAlign },
        { "BitsPerSample", f.bitsPerSample },
        { "ExtraSize", f.extraSize },
    };
}

QJsonObject InfoJson(const AviFileInfo &info)
{
    return QJsonObject {
        { "hasVideo", qint64(info.hasVideo) },
        { "hasAudio", qint64(info.hasAudio) },
        { "riffSize", qint64(info.riffSize) },
        { "moviSize", qint64(info.moviSize) },
        { "audioBytes", qint64(info.audioBytes) },
        { "audioChunks", qint64(info.audioChunks) },
        { "videoBytes", qint64(info.videoBytes) },
        { "videoChunks", qint64(info.videoChunks) },
        { "mainHeader", MainHeaderJson(info.mainHeader) },
        { "videoStreamHeader", StreamHeaderJson(info.videoStreamHeader) },
        { "videoFormat", VideoFormatJson(info.videoFormat) },
        { "audioStreamHeader", StreamHeaderJson(info.audioStreamHeader) },
        { "audioFormat", AudioFormatJson(info.audioFormat) },
    };
}

QString ValueText(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return QString::number(value.toInteger());
}

// "name: value" lines; the fields of a nested record are prefixed with its name. The record's
// order is kept, not the alphabetical order of a JSON object.
void PrintText(const QJsonObject &object, const QStringList &order, const QString &prefix)
{
    for (const QString &key : order) {
        const QJsonValue value = object.value(key);
        if (value.isObject())
            continue;
        CliOut(QStringLiteral("%1%2: %3\n").arg(prefix, key, ValueText(value)));
    }
}

int RunInfo(const QStringList &args)
{
    bool json = false;
    bool trace = false;
    bool headersOnly = false;
    QString path;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (arg == QLatin1String("--trace"))
            trace = true;
        else if (arg == QLatin1String("--headers-only"))
            headersOnly = true;
        else if (arg.startsWith(QLatin1String("--")) || !path.isEmpty()) {
            CliErr(QStringLiteral("tavin-cli info: unexpected argument '%1'\n").arg(arg));
            return 2;
        } else
            path = arg;
    }
    if (path.isEmpty()) {
        CliErr(QStringLiteral("usage: tavin-cli info FILE [--json] [--trace] [--headers-only]\n"));
        return 2;
    }

    // With --json the trace goes to stderr so that stdout stays one JSON document.
    AviTraceSink sink;
    if (trace) {
        std::FILE *stream = json ? stderr : stdout;
        sink = [stream](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); };
    }

    AviFileInfo info;
    AviReadStats stats;
    const QByteArray nativePath = QFile::encodeName(path);
    const bool isAvi = headersOnly ? ReadAviHeaderInfo(nativePath.constData(), info, sink, &stats)
                                   : ReadAviFileInfo(nativePath.constData(), info, sink, &stats);
    std::fflush(stdout);
    if (!isAvi) {
        CliErr(QStringLiteral("tavin-cli info: %1: cannot be opened or is not a RIFF AVI file\n").arg(path));
        return 1;
    }

    QJsonObject object = InfoJson(info);
    // The length the recording is listed with; for a header that says 0 frames that takes the
    // chunk walk, which --headers-only leaves to the length reader.
    const int lengthSeconds
        = headersOnly ? ReadRecordingLength(nativePath.constData()) : RecordingLengthSeconds(info);
    object.insert("lengthSeconds", lengthSeconds);
    object.insert("bytesRead", qint64(stats.bytesRead));

    if (json) {
        CliOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
        return 0;
    }
    CliOut(QStringLiteral("file: %1\n").arg(path));
    PrintText(object,
        { "hasVideo", "hasAudio", "riffSize", "moviSize", "audioBytes", "audioChunks", "videoBytes",
            "videoChunks" },
        QString());
    const QStringList mainOrder { "MicroSecPerFrame", "MaxBytesPerSec", "PaddingGranularity", "Flags",
        "TotalFrames", "InitialFrames", "Streams", "SuggestedBufferSize", "Width", "Height", "Reserved" };
    const QStringList streamOrder { "Type", "Handler", "Flags", "Priority", "Language", "InitialFrames",
        "Scale", "Rate", "Start", "Length", "SuggestedBufferSize", "Quality", "SampleSize", "Frame" };
    PrintText(object.value("mainHeader").toObject(), mainOrder, QStringLiteral("mainHeader."));
    PrintText(
        object.value("videoStreamHeader").toObject(), streamOrder, QStringLiteral("videoStreamHeader."));
    PrintText(object.value("videoFormat").toObject(),
        { "Size", "Width", "Height", "Planes", "BitCount", "Compression", "SizeImage", "XPelsPerMeter",
            "YPelsPerMeter", "ClrUsed", "ClrImportant" },
        QStringLiteral("videoFormat."));
    PrintText(
        object.value("audioStreamHeader").toObject(), streamOrder, QStringLiteral("audioStreamHeader."));
    PrintText(object.value("audioFormat").toObject(),
        { "FormatTag", "Channels", "SamplesPerSec", "AvgBytesPerSec", "BlockAlign", "BitsPerSample",
            "ExtraSize" },
        QStringLiteral("audioFormat."));
    CliOut(QStringLiteral("lengthSeconds: %1\n").arg(lengthSeconds));
    CliOut(QStringLiteral("bytesRead: %1\n").arg(stats.bytesRead));
    return 0;
}

} // namespace

TAVIN_CLI_COMMAND(QStringLiteral("info"),
    QStringLiteral("info FILE [--json] [--trace] [--headers-only]   container walk of a recording "
                   "and its length in seconds"),
    false, RunInfo);
