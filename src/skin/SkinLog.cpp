#include "skin/SkinLog.h"

Q_LOGGING_CATEGORY(lcSkin, "tavin.skin", QtInfoMsg)
