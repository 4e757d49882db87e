#pragma once

#include <QtGlobal>

class QWidget;

namespace skin {

// How a skinned control tells its dialog what happened: command messages carry the control's
// run-time identifier, kept on the window itself.
void SetControlId(QWidget *control, int identifier);
int ControlId(const QWidget *control);

// Sends (handled at once) a command with the control's identifier and `code` to its parent;
// the second parameter is the control itself.
void SendCommand(QWidget *control, int code);
// The same, queued.
void PostCommand(QWidget *control, int code, qintptr lParam);

} // namespace skin
