#include "device/CardChooser.h"

#include "device/CSDConfig.h"

namespace device {

CardChoice ChooseCard(CSDConfig &config, const CardChooserUi &ui)
{
    const int count = config.ScanDrives(true);
    if (count == 0) {
        if (ui.reportNoCard)
            ui.reportNoCard();
        return CardChoice::NoCard;
    }
    QStringList roots;
    for (int i = 0; i < count; ++i)
        roots.append(config.GetDrive(i));
    const std::optional<int> chosen = ui.chooseCard ? ui.chooseCard(roots) : std::nullopt;
    if (!chosen || !config.SelectDrive(*chosen))
        return CardChoice::Cancelled;
    return CardChoice::Selected;
}

} // namespace device
