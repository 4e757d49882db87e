#pragma once

#include <QLoggingCategory>

// The recorder's settings file, card discovery, the time file and formatting. Turn it on with
// QT_LOGGING_RULES="tavin.device.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDevice)
