#include "media/recorder/RecorderLog.h"

Q_LOGGING_CATEGORY(lcRecorder, "tavin.recorder", QtInfoMsg)
