#include "playback/PlaybackTestMedia.h"

#include "media/recorder/PowerLossCut.h"
#include "media/recorder/SampleCardGenerator.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>

#include <mutex>
#include <vector>

namespace playback_test {

namespace {

    // The frame number, drawn as stripes: geq's N is the picture's number in the source.
    const QString kCounterPattern = QStringLiteral(
        "nullsrc=s=%1:r=25:d=2,geq=lum='if(bitand(N,pow(2,floor(X*8/W))),235,16)':cb=128:cr=128");
    const QString kTone = QStringLiteral("sine=frequency=440:sample_rate=48000:d=2");

    QStringList Arguments(Media media)
    {
        const QString counter = kCounterPattern.arg(QStringLiteral("160x120"));
        const QStringList h264 { "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p" };
        QStringList args { "-v", "error", "-y", "-f", "lavfi", "-i" };
        switch (media) {
        case Media::CounterAac:
            return args + QStringList { counter, "-f", "lavfi", "-i", kTone } + h264
                + QStringList { "-c:a", "aac", "-ac", "2", "-shortest" };
        case Media::CounterPcm:
            return args + QStringList { counter, "-f", "lavfi", "-i", kTone } + h264
                + QStringList { "-c:a", "pcm_s16le", "-ac", "2", "-shortest" };
        case Media::CounterSilent:
            return args + QStringList { counter } + h264;
        case Media::CounterGop10:
            return args + QStringList { counter, "-f", "lavfi", "-i", kTone } + h264
                + QStringList { "-g", "10", "-keyint_min", "10", "-c:a", "aac", "-shortest" };
        case Media::CounterRear:
            return args
                + QStringList { kCounterPattern.arg(QStringLiteral("96x64")), "-f", "lavfi", "-i", kTone }
            + h264 + QStringList { "-c:a", "aac", "-shortest" };
        case Media::CounterMjpeg:
            return args + QStringList { counter, "-c:v", "mjpeg", "-q:v", "2" };
        case Media::CounterGaps:
            return args
                + QStringList { counter, "-f", "lavfi", "-i", kTone, "-vf", "select='not(mod(n,5))'",
                      "-vsync", "passthrough" }
            + h264 + QStringList { "-c:a", "aac", "-shortest" };
        case Media::TwoVideo:
            return args
                + QStringList { counter, "-f", "lavfi", "-i", "testsrc2=s=160x120:r=25:d=2", "-f", "lavfi",
                      "-i", kTone, "-map", "0:v", "-map", "1:v", "-map", "2:a" }
            + h264 + QStringList { "-c:a", "aac", "-shortest" };
        case Media::Pattern:
            return args + QStringList { "testsrc2=s=640x360:r=25:d=2", "-f", "lavfi", "-i", kTone } + h264
                + QStringList { "-c:a", "aac", "-shortest" };
        case Media::NoPicture:
            return args
                + QStringList { kCounterPattern.arg(QStringLiteral("160x120")).replace("d=2", "d=20"), "-c:v",
                      "mjpeg", "-bsf:v", "noise=amount=1" };
        case Media::NotMedia:
            break;
        }
        return {};
    }

} // namespace

QString MediaPath(Media media)
{
    // The files are shared by every test process of a run (CTest starts one per test): they
    // are kept in a folder under the system's temporary folder, named after the ffmpeg
    // arguments that make them, and each is written under a private name and renamed into
    // place, so parallel processes never see half a file.
    static std::mutex mutex;
    static QMap<int, QString> made;
    std::lock_guard lock(mutex);
    if (made.contains(static_cast<int>(media)))
        return made.value(static_cast<int>(media));

    const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-playback-test-media")));
    if (!folder.mkpath(QStringLiteral(".")))
        return {};
    const QStringList args = Arguments(media);
    const QByteArray key = QCryptographicHash::hash(
        args.join('\n').toUtf8() + QByteArray::number(static_cast<int>(media)), QCryptographicHash::Md5)
                               .toHex()
                               .left(12);
    const QString path = folder.filePath(QStringLiteral("media-%1.avi").arg(QString::fromLatin1(key)));
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0) {
        const QString part = path + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
        if (media == Media::NotMedia) {
            QFile file(part);
            if (!file.open(QIODevice::WriteOnly) || file.write("this is not a recording\n") < 0)
                return {};
        } else {
            QProcess ffmpeg;
            ffmpeg.start(QStringLiteral("ffmpeg"),
                QStringList(args) << "-f"
                                  << "avi" << part);
            if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
                qWarning("ffmpeg failed: %s", ffmpeg.readAllStandardError().constData());
                QFile::remove(part);
                return {};
            }
        }
        // Another process may have finished the same file first; either copy will do.
        if (!QFile::rename(part, path))
            QFile::remove(part);
    }
    made.insert(static_cast<int>(media), path);
    return path;
}

namespace {

    // Makes a file once per process (and keeps it for later runs): write makes it under a
    // private name, which is then renamed into place, so parallel test processes never see half
    // a file.
    QString MadeOnce(const QString &name, const std::function<bool(const QString &part)> &write)
    {
        static std::mutex mutex;
        static QMap<QString, QString> made;
        std::lock_guard lock(mutex);
        if (made.contains(name))
            return made.value(name);
        const QDir folder(QDir::temp().filePath(QStringLiteral("tavin-playback-test-media")));
        if (!folder.mkpath(QStringLiteral(".")))
            return {};
        const QString path = folder.filePath(name);
        if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0) {
            const QString part = path + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
            if (!write(part)) {
                QFile::remove(part);
                return {};
            }
            if (!QFile::rename(part, path))
                QFile::remove(part);
        }
        made.insert(name, path);
        return path;
    }

    QString RecorderPath(char channel)
    {
        return MadeOnce(
            QStringLiteral("recorder-%1-seed7.avi").arg(QLatin1Char(channel)), [&](const QString &part) {
                media::recorder::SampleCardOptions options;
                options.seed = 7;
                media::recorder::SampleCardGenerator generator(options);
                if (generator.GenerateFile(0, channel, part))
                    return true;
                qWarning("sample recorder failed: %s", qPrintable(generator.ErrorString()));
                return false;
            });
    }

} // namespace

QString RecorderFrontPath()
{
    return RecorderPath('F');
}

QString RecorderRearPath()
{
    return RecorderPath('R');
}

QString CutRecorderFrontPath()
{
    const QString whole = RecorderFrontPath();
    if (whole.isEmpty())
        return {};
    return MadeOnce(QStringLiteral("recorder-F-seed7-cut.avi"), [&](const QString &part) {
        QString error;
        media::recorder::PowerLossCutOptions options;
        options.halveLastChunk = true;
        if (QFile::copy(whole, part) && media::recorder::CutLikePowerLoss(part, options, &error))
            return true;
        qWarning("cutting the recording failed: %s", qPrintable(error));
        return false;
    });
}

int FrameNumberOf(const QImage &image)
{
    if (image.isNull())
        return -1;
    int number = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const int x = (2 * bit + 1) * image.width() / 16;
        const int grey = qGray(image.pixel(x, image.height() / 2));
        if (grey > 60 && grey < 190)
            return -1; // neither black nor white: not a counter picture
        if (grey >= 190)
            number |= 1 << bit;
    }
    return number;
}

double MeanGrey(const QImage &image)
{
    if (image.isNull())
        return 0;
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    return sum / (static_cast<double>(image.width()) * image.height());
}

namespace {

    struct CapturedMessage {
        QtMsgType type;
        QByteArray category;
        QString text;
    };
    std::mutex capturedMutex;
    std::vector<CapturedMessage> captured;
    QtMessageHandler previousHandler = nullptr;

} // namespace

LogCapture::LogCapture()
{
    std::lock_guard lock(capturedMutex);
    captured.clear();
    previousHandler = qInstallMessageHandler(&LogCapture::Handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previousHandler);
}

void LogCapture::Handle(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    {
        std::lock_guard lock(capturedMutex);
        captured.push_back(CapturedMessage { type, QByteArray(context.category), text });
    }
    if (previousHandler)
        previousHandler(type, context, text);
}

QStringList LogCapture::Messages(const char *category, QtMsgType type) const
{
    std::lock_guard lock(capturedMutex);
    QStringList texts;
    for (const CapturedMessage &message : captured)
        if (message.type == type && message.category == category)
            texts << message.text;
    return texts;
}

} // namespace playback_test
