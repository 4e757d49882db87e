#include "media/playback/PlaybackLog.h"

Q_LOGGING_CATEGORY(lcPlayback, "tavin.playback", QtInfoMsg)
