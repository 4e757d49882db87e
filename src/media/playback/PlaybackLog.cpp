#include "media/playback/PlaybackLog.h"

#include <QByteArray>

#include <cstdarg>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

Q_LOGGING_CATEGORY(lcPlayback, "tavin.playback", QtInfoMsg)

namespace media {

namespace {

    void LogFfmpegLine(void *avcl, int level, const char *format, va_list args)
    {
        // Verbose and debug output (a decoder's every packet) is never wanted; below that the
        // level set for FFmpeg holds as it would for its own printing.
        if (level > AV_LOG_INFO || level > av_log_get_level())
            return;
        // FFmpeg hands a line out in pieces; each thread gathers its own until the line ends.
        thread_local QByteArray line;
        thread_local int printPrefix = 1;
        char piece[1024];
        va_list copy;
        va_copy(copy, args);
        av_log_format_line2(avcl, level, format, copy, piece, sizeof piece, &printPrefix);
        va_end(copy);
        line += piece;
        if (!line.endsWith('\n'))
            return;
        line.chop(1);
        const QString text = QString::fromUtf8(line);
        line.clear();
        if (level <= AV_LOG_ERROR)
            qCWarning(lcPlayback).noquote() << "FFmpeg:" << text;
        else if (level <= AV_LOG_WARNING)
            qCInfo(lcPlayback).noquote() << "FFmpeg:" << text;
        else
            qCDebug(lcPlayback).noquote() << "FFmpeg:" << text;
    }

} // namespace

void RouteFfmpegLog()
{
    static std::once_flag installed;
    std::call_once(installed, [] { av_log_set_callback(&LogFfmpegLine); });
}

} // namespace media
