#include "views/ViewsLog.h"

Q_LOGGING_CATEGORY(lcViews, "tavin.views", QtInfoMsg)
