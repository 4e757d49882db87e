#pragma once

#include <QLoggingCategory>

// The skin model, skinned dialogs and controls. Turn it on with QT_LOGGING_RULES="tavin.skin.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcSkin)
