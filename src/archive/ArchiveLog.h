#pragma once

#include <QLoggingCategory>

// The archive. Turn it on with QT_LOGGING_RULES="tavin.archive.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcArchive)
