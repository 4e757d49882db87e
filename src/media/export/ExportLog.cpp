#include "media/export/ExportLog.h"

Q_LOGGING_CATEGORY(lcExport, "tavin.export", QtInfoMsg)
