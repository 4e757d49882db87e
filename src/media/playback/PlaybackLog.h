#pragma once

#include <QLoggingCategory>

// The playback graph, with FFmpeg's own log routed into it. Turn it on with
// QT_LOGGING_RULES="tavin.playback.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcPlayback)

namespace media {

// Sends FFmpeg's log lines to lcPlayback instead of standard error: its errors as warnings, its
// warnings as information, its information as debug output, and nothing more detailed. Every
// graph calls it; only the first call installs the route.
void RouteFfmpegLog();

} // namespace media
