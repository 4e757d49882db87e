#include "skin/core/SkinCoreLog.h"

Q_LOGGING_CATEGORY(lcSkinCore, "tavin.skin.core", QtInfoMsg)
