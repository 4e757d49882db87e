#pragma once

#include <QLoggingCategory>

// The container reader, the GPS track and telemetry reading. Turn it on with
// QT_LOGGING_RULES="tavin.media.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcMedia)
