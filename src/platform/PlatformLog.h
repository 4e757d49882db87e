#pragma once

#include <QLoggingCategory>

// The layer over the operating system. Turn it on with QT_LOGGING_RULES="tavin.platform.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
