#pragma once

#include "ShotRun.h"
#include "app/CTAVINApp.h"
#include "app/UserMessages.h"

#include <QString>
#include <QStringList>

namespace screenshots {

// The start-up's fixed message boxes, written to the error output instead of waiting for a click
// that never comes; any of them means the run failed.
class PrintedMessages : public UserMessages
{
public:
    void ShowMessage(const QString &caption, const QString &text, Icon icon) override;
    bool Any() const { return m_any; }

private:
    bool m_any = false;
};

// The application as the program starts it (single-instance lock, settings layout, settings, the
// language, the skin pack beside the program), whose main window is driven for the pictures instead
// of being handed to the user.
class ShotApp : public CTAVINApp
{
public:
    ShotApp(AppEnvironment environment, ShotOptions options);

    bool Ok() const { return m_ok; }
    QString Error() const { return m_error; }
    QStringList Saved() const { return m_saved; }

protected:
    bool RunWindow(MainWindowSettings &variables) override;

private:
    bool Fail(const QString &error);

    ShotOptions m_options;
    bool m_ok = false;
    QString m_error;
    QStringList m_saved;
    QStringList m_boxes; // the window's message boxes, answered with OK
};

} // namespace screenshots
