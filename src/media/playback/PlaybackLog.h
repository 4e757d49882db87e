#pragma once

#include <QLoggingCategory>

// The playback graph, with FFmpeg's own log routed into it. Turn it on with QT_LOGGING_RULES="tavin.playback.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
