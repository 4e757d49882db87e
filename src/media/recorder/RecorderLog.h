#pragma once

#include <QLoggingCategory>

// The sample recorder. Turn it on with QT_LOGGING_RULES="tavin.recorder.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcRecorder)
