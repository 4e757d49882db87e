#include "archive/ArchiveLog.h"

Q_LOGGING_CATEGORY(lcArchive, "tavin.archive", QtInfoMsg)
