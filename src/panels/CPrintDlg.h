#pragma once

#include "skin/CSkinDialog.h"

#include <QImage>
#include <QStringList>

// The capture preview: the grabbed frame with its accident-report lines, shown on the panel's
// texts and written into the picture itself. Save, cancel and close each report to the main
// window and hide the panel.
class CPrintDlg : public skin::CSkinDialog
{
    Q_OBJECT
public:
    CPrintDlg(skin::SkinRuntime &runtime, QWidget *parent);

    bool Init(const QString &entryName);

    // The camera a picture was taken from. The saved file is named after it, whatever the main
    // window shows by the time the user saves.
    struct Source {
        bool hasRear = false; // the recording had both channels
        bool rearChannel = false;
    };

    // Attaches a new picture and repaints the preview.
    void SetImage(const QImage &image, Source source);
    const QImage &Image() const { return m_image; }
    const Source &ImageSource() const { return m_source; }
    // Shows the three lines on the panel and writes them into the picture, from its left edge
    // at 20, 40 and 60 pixels from its top.
    void SetHeaderLines(const QStringList &lines);
    QString HeaderText(const QString &textName) const;
    void ReleaseImage();

    // Where a capture is saved: the chosen name with "_front" or "_rear" before its extension
    // when the recording has both channels; a name without extension gets `defaultExtension`.
    static QString SaveName(
        const QString &chosen, const QString &defaultExtension, bool hasRear, bool rearChannel);
    // Writes the lines into a picture, each on a white band in black, as a printed form would.
    static void BurnHeaderLines(QImage &image, const QStringList &lines);

protected:
    void OnSkinLoaded() override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Report(quint32 message);

    QImage m_image;
    Source m_source;
};
