#pragma once

#include <QDialog>

class QCheckBox;
class QRadioButton;

// What the user chooses for an evidence clip before naming it.
struct ExportChoices {
    bool audio = true; // the cabin's sound goes into the clip
    bool withSources = false; // the recordings are copied, verified, beside the clip
    bool stacked = false; // the rear picture below the front instead of over its corner
    // The recorder's own pictures copied, not re-encoded: each camera a track, the caption a
    // subtitle track (the rear's place does not apply).
    bool streamCopy = false;
};

// Asks for the export's choices, starting from the last ones made.
class ExportChoicesDlg : public QDialog
{
    Q_OBJECT
public:
    explicit ExportChoicesDlg(const ExportChoices &initial, QWidget *parent = nullptr);

    ExportChoices Choices() const;

private:
    QCheckBox *m_audio = nullptr;
    QCheckBox *m_sources = nullptr;
    QCheckBox *m_copy = nullptr;
    QRadioButton *m_pip = nullptr;
    QRadioButton *m_stacked = nullptr;
};
