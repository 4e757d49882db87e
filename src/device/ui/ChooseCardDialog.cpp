#include "device/ui/ChooseCardDialog.h"

#include "device/ui/CSelDriveDlg.h"

namespace device {

CardChoice ChooseCardWithDialog(CSDConfig &config, QWidget *parent, const std::function<void()> &reportNoCard)
{
    CardChooserUi ui;
    ui.reportNoCard = reportNoCard;
    ui.chooseCard = [parent](const QStringList &roots) -> std::optional<int> {
        CSelDriveDlg dialog(roots, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.ChosenIndex();
    };
    return ChooseCard(config, ui);
}

} // namespace device
