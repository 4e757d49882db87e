#pragma once

#include <QLoggingCategory>

// The skin markup parser and pack file. Turn it on with QT_LOGGING_RULES="tavin.skin.core.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcSkinCore)
