#pragma once

#include <QLoggingCategory>

// The clip export. Turn it on with QT_LOGGING_RULES="tavin.export.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcExport)
