#pragma once

#include "media/playback/CVideoPlayer.h"
#include "platform/card_formatter.h"
#include "platform/volume_source.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// What the main window takes from outside; tests replace the parts that reach the user or the
// system.
struct MainWindowServices {
    media::AudioOutputFactory audioOutputs = media::CVideoPlayer::DefaultAudioOutputs();
    QString commandLine; // recordings given to the program, double-quoted
    QStringList cardFolders; // folders that count as inserted cards
    std::unique_ptr<platform::VolumeSource> volumes; // null: the system's cards and cardFolders
    // The card chooser at start-up: the chosen index, or nothing on Cancel. Empty: the dialog.
    std::function<std::optional<int>(const QStringList &roots)> chooseCard;
    // The folder chooser of `open`; empty result when cancelled. Empty: the system's dialog.
    std::function<QString()> chooseFolder;
    bool watchMounts = true;
    std::unique_ptr<platform::CardFormatter> cardFormatter; // null: the system's (udisks2)
};
