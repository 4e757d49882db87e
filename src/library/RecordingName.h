#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace library {

// What a recording's file name tells: the recorder ends every name with its channel letter and
// its kind letter, as in "20240307_090530_FN.AVI". Only the name counts, in upper case.
struct RecordingName {
    QChar kindLetter; // the character before the last "."; null when there is none
    QChar channelLetter; // two places before the last "."; 'F' front, 'R' rear; null when none

    bool IsFront() const { return channelLetter == QLatin1Char('F'); }
    bool IsRear() const { return channelLetter == QLatin1Char('R'); }
    bool IsNormal() const { return kindLetter == QLatin1Char('N'); }
    bool IsEvent() const
    {
        return kindLetter == QLatin1Char('S') || kindLetter == QLatin1Char('P')
            || kindLetter == QLatin1Char('M');
    }
    bool IsManual() const { return kindLetter == QLatin1Char('U'); }
};

// The part of a path after its last separator ('/' or the system's own).
QString FileNameOf(const QString &path);

// Reads the letters of a file name or path.
RecordingName ParseRecordingName(const QString &path);

// The path upper-cased with its channel letter made 'F': a front file and its rear file share it.
QString PairKey(const QString &path);

// The kind column's text for a kind letter; empty for letters the recorder does not write.
QString KindText(QChar kindLetter);

// The texts a recording's name must contain (the skin's "video_ext" and "video_ext2"), kept upper-cased.
class VideoExtensions
{
public:
    VideoExtensions(); // the default skin's ".AVI" and ".PVR"
    VideoExtensions(const QString &first, const QString &second);

    // True when the upper-cased file name contains one of the texts anywhere. An empty text
    // matches nothing: a skin that lacks one must not make every file a recording.
    bool Matches(const QString &path) const;
    const QStringList &Texts() const { return m_texts; }

private:
    QStringList m_texts;
};

// Whole seconds as "%02d:%02d:%02d" (hours, minutes, seconds).
QString FormatLength(int seconds);

} // namespace library
