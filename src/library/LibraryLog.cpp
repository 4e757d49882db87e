#include "library/LibraryLog.h"

Q_LOGGING_CATEGORY(lcLibrary, "tavin.library", QtInfoMsg)
