#pragma once

#include <QLoggingCategory>

// The recording library. Turn it on with QT_LOGGING_RULES="tavin.library.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcLibrary)
