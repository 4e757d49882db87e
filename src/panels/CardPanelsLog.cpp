#include "panels/CardPanelsLog.h"

Q_LOGGING_CATEGORY(lcCardPanels, "tavin.cardpanels")
