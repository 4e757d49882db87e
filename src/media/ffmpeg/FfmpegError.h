#pragma once

#include <QString>

extern "C" {
#include <libavutil/error.h>
}

namespace media::ffmpeg {

// FFmpeg's own words for one of its error codes ("Invalid data found when processing input").
inline QString ErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

} // namespace media::ffmpeg
