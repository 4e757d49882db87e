#pragma once

#include "app/features/MainWindowFeature.h"
#include "media/telemetry/ImpactDetector.h"

#include <QObject>

#include <optional>
#include <vector>

class QComboBox;
class QToolButton;

// The impacts of the open recording: found in all its G-sensor readings, marked on the graph,
// listed in a compact drop-down beside the impact buttons, and reached with those buttons or
// Ctrl+Left and Ctrl+Right. The button after the list (or the E key) exports the chosen impact,
// or the one nearest the position, from 20 s before to 20 s after.
class ImpactsController : public QObject, public MainWindowFeature
{
    Q_OBJECT
public:
    using MainWindowFeature::MainWindowFeature;

    const std::vector<media::Impact> &Impacts() const { return m_impacts; }
    QComboBox *ImpactList() const { return m_list; }
    QToolButton *ExportButton() const { return m_export; }
    // The impact an export around an impact takes: the one chosen in the list, else the one
    // nearest the position; none without impacts.
    std::optional<media::Impact> ChosenImpact() const;
    // What the closed list says of the recording's impacts: none, or how many.
    static QString CountText(size_t count);

    void OnSkinLoaded() override;
    bool OnKey(const QKeyEvent &event) override;
    void OnRecordingOpened(const OpenedRecording &recording) override;
    void OnRecordingClosed() override;

private:
    void PlaceList();
    void Show();
    // step 1: the next impact after the playback position, -1: the previous one.
    void Jump(int step);
    void ExportAround();

    std::vector<media::Impact> m_impacts;
    QComboBox *m_list = nullptr; // a plain drop-down beside the buttons, a child of the window
    QToolButton *m_export = nullptr; // beside the list
};
