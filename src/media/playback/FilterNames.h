#pragma once

#include <QString>

namespace media {

// The names under which the graph adds its filters; the graph finds and removes them by these.
namespace FilterNames {

    inline const QString kSource = QStringLiteral("KVStreamParseFilter");
    inline const QString kAudioDecoderSingle = QStringLiteral("COREAAC AUDIO");
    inline const QString kAudioDecoderMulti = QStringLiteral("CoreAAC Decoder");
    inline const QString kAudioRenderer = QStringLiteral("DirectSound Audio Renderer");

    // Stream k counts from 1.
    inline QString Decoder(int k)
    {
        return QStringLiteral("FFDShow Decoder%1").arg(k);
    }
    inline QString Brightness(int k)
    {
        return QStringLiteral("Ostrel Brightness %1").arg(k);
    }
    inline QString ColourConverter(int k)
    {
        return QStringLiteral("Color Space Convertor %1").arg(k);
    }
    inline QString Renderer(int k, bool multiStream)
    {
        return multiStream ? QStringLiteral("Mixing Renderer9-%1").arg(k)
                           : QStringLiteral("Mixing Renderer9");
    }

} // namespace FilterNames

} // namespace media
