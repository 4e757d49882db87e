#pragma once

#include "device/CardChooser.h"

#include <functional>

class QWidget;

namespace device {

// ChooseCard with the card chooser dialog; reportNoCard shows the skin's `no_card` message.
CardChoice ChooseCardWithDialog(
    CSDConfig &config, QWidget *parent, const std::function<void()> &reportNoCard);

} // namespace device
