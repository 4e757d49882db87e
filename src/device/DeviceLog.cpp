#include "device/DeviceLog.h"

Q_LOGGING_CATEGORY(lcDevice, "tavin.device", QtInfoMsg)
