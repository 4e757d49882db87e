#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <qnamespace.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

class CTAVINDlg;
class QVariant;
class QWidget;
class SimpleBrowser;

namespace screenshots {

struct ShotOptions {
    QString card; // the card folder the window lists
    QString out; // where the pictures go
    QString language; // "en" or "ko"
};

// Drives the real main window over the card as a driver would after an incident and saves the
// documentation's pictures of it: the window playing the drive that ended in a crash, the trip list,
// the export dialog around the impact, the storage panel and the archive window. Every picture is
// taken once what it shows has arrived (pictures decoded, map page loaded and drawn, figures read)
// and is checked before it is saved.
class ShotRun
{
public:
    // boxes: the message boxes the window asked for so far, kept by whoever answers them.
    ShotRun(CTAVINDlg &window, ShotOptions options, const QStringList &boxes);

    // Makes every picture; false at the first one that cannot be made, with Error() saying why.
    bool Run();
    QString Error() const { return m_error; }
    // The files written, in order.
    QStringList Saved() const { return m_saved; }

private:
    bool Prepare();
    bool ShootMainWindow();
    bool ShootTrips();
    bool ShootExport();
    bool ShootBackup();
    bool ShootArchive();

    // Waits for the condition while the window goes on; false with the error set after timeout.
    bool Wait(const QString &what, std::chrono::milliseconds timeout, const std::function<bool()> &condition);
    // Lets the window draw what it was just told to, where there is nothing to poll for.
    void Settle(std::chrono::milliseconds time);
    bool Click(const char *button);
    void ClickRow(int row);
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // The value of a script expression of the page, waited for.
    std::optional<QVariant> Evaluate(SimpleBrowser *browser, const QString &code);
    // Whether the page has the tile layer settled: every tile it asked for loaded or failed.
    bool PageSettled(SimpleBrowser *browser);
    // The list row of the day's last drive with an impact; -1 when there is none.
    int CrashDriveRow() const;
    bool Save(const QString &name, const QImage &picture);
    // Fails when the window asked for a message box since the last look: a picture taken after an
    // error would show a window in a state no guide should describe.
    bool NoNewBoxes();

    CTAVINDlg &m_window;
    ShotOptions m_options;
    const QStringList &m_boxes;
    qsizetype m_boxesSeen = 0;
    QString m_error;
    QStringList m_saved;
    int m_crashRow = -1;
    int64_t m_impactMs = -1; // on the drive's timeline
    double m_crashLatitude = 0;
    double m_crashLongitude = 0;
    bool m_exportShown = false; // the export dialog was asked for and shot (or failed)
};

} // namespace screenshots
