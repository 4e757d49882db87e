#include "library/RecordingName.h"

#include <QCoreApplication>
#include <QDir>

namespace library {

QString FileNameOf(const QString &path)
{
    const QString portable = QDir::fromNativeSeparators(path);
    return portable.mid(portable.lastIndexOf(QLatin1Char('/')) + 1);
}

RecordingName ParseRecordingName(const QString &path)
{
    const QString name = FileNameOf(path).toUpper();
    RecordingName result;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 1)
        result.kindLetter = name.at(dot - 1);
    if (dot >= 2)
        result.channelLetter = name.at(dot - 2);
    return result;
}

QString KindText(QChar kindLetter)
{
    switch (kindLetter.unicode()) {
    case 'N':
        return QCoreApplication::translate("RecordingName", "상시 녹화");
    case 'U':
        return QCoreApplication::translate("RecordingName", "수동 녹화");
    case 'S':
        return QCoreApplication::translate("RecordingName", "상시 이벤트");
    case 'P':
        return QCoreApplication::translate("RecordingName", "주차 이벤트");
    case 'M':
        return QCoreApplication::translate("RecordingName", "주차 모션");
    default:
        return QString();
    }
}

VideoExtensions::VideoExtensions()
    : VideoExtensions(QStringLiteral(".AVI"), QStringLiteral(".PVR"))
{
}

VideoExtensions::VideoExtensions(const QString &first, const QString &second)
{
    for (const QString &text : { first, second }) {
        if (!text.isEmpty())
            m_texts.append(text.toUpper());
    }
}

bool VideoExtensions::Matches(const QString &path) const
{
    const QString name = FileNameOf(path).toUpper();
    for (const QString &text : m_texts) {
        if (name.contains(text))
            return true;
    }
    return false;
}

QString FormatLength(int seconds)
{
    return QString::asprintf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

QString PairKey(const QString &path)
{
    QString key = path.toUpper();
    const qsizetype channel = key.lastIndexOf(QLatin1Char('.')) - 2;
    if (channel >= 0)
        key[channel] = QLatin1Char('F');
    return key;
}

} // namespace library
