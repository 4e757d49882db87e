#pragma once

#include <QStringList>

#include <functional>
#include <optional>

namespace device {

class CSDConfig;

enum class CardChoice {
    Selected, // a card was chosen and selected
    NoCard, // no present card holds the settings file (the user was told)
    Cancelled, // the user closed the chooser
};

struct CardChooserUi {
    // Tells the user that no card was found (skin texts `no_card` / `err_title`).
    std::function<void()> reportNoCard;
    // Shows the chooser with the given roots (also for a single one); the chosen index, or nothing
    // on Cancel.
    std::function<std::optional<int>(const QStringList &roots)> chooseCard;
};

// Offers the present cards that hold the settings file and selects the one the user picks.
CardChoice ChooseCard(CSDConfig &config, const CardChooserUi &ui);

} // namespace device
