#pragma once

#include <QLoggingCategory>

// The speed gauge, the G-sensor graph and the map view. Turn it on with
// QT_LOGGING_RULES="tavin.views.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcViews)
