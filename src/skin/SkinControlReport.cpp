#include "skin/SkinControlReport.h"

#include "skin/SkinTypes.h"
#include "skin/WindowMessageEvent.h"

#include <QVariant>
#include <QWidget>

namespace skin {

namespace {
    const char *const kIdProperty = "tavinSkinId";
}

void SetControlId(QWidget *control, int identifier)
{
    if (control)
        control->setProperty(kIdProperty, identifier);
}

int ControlId(const QWidget *control)
{
    return control ? control->property(kIdProperty).toInt() : 0;
}

void SendCommand(QWidget *control, int code)
{
    if (!control)
        return;
    SendWindowMessage(control->parentWidget(), kMsgCommand, CommandWParam(ControlId(control), code),
        reinterpret_cast<qintptr>(control));
}

void PostCommand(QWidget *control, int code, qintptr lParam)
{
    if (!control)
        return;
    PostWindowMessage(control->parentWidget(), kMsgCommand, CommandWParam(ControlId(control), code), lParam);
}

} // namespace skin
