#pragma once

#include <QLoggingCategory>

// Start-up, the settings store and the main window. Turn it on with QT_LOGGING_RULES="tavin.app.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcApp)
