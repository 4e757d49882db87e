#pragma once

#include "platform/card_formatter.h"

#include <QString>

#include <functional>
#include <optional>

// What formatting a card needs from its caller, and how its parameters are chosen.

namespace device {

// The user's side of a format. Formatting erases the card, so it is only reachable through an
// object that asks: there is no way to format without a ConfirmFormat() that answered true.
class FormatPrompt
{
public:
    virtual ~FormatPrompt() = default;

    // The OK/Cancel question (skin texts `format_warning` / `warning_title`); true only on OK.
    virtual bool ConfirmFormat(const QString &root) = 0;
    // The card was busy: "저장 장치가 사용 중입니다!".
    virtual void DeviceInUse() = 0;
    // The format was refused or did not complete; reason says why, in the system's words.
    virtual void FormatFailed(const QString &reason) = 0;
    // The card was not formatted (declined, refused, busy or failed): the settings panel puts its
    // memory partition choice back.
    virtual void FormatNotDone() { }
    // Wait cursor on and off around the work.
    virtual void SetBusy(bool busy) { (void)busy; }
    // Runs the system's format, which can take minutes. Here it runs on the caller's thread; a
    // window runs it on a worker and goes on answering meanwhile. The work touches nothing the
    // caller's thread uses.
    virtual platform::FormatResult RunFormat(const std::function<platform::FormatResult()> &work)
    {
        return work();
    }
};

enum class FormatOutcome {
    Formatted, // 0: the format completed
    InUse, // 1: the card is busy, nothing was changed (and the user was told so)
    Failed, // 1: the system refused or broke off (the user was told why)
    Declined, // 1: the user said no
    Unavailable, // 1: no formatting service here, or not a removable card of the last scan
};

// FormatCard's result code for an outcome: 0 only for a completed format. Anything else leaves the
// card as it was, and the settings file must not be written as if it had been formatted.
int FormatResultCode(FormatOutcome outcome);

inline constexpr const char *kCardVolumeLabel = "TAVIN";
inline constexpr const char *kCardInUseMessage = "저장 장치가 사용 중입니다!";

struct FormatParameters {
    QString fileSystem;
    quint32 clusterBytes = 0;
    QString label;
};

// A card keeps its present file system and cluster size; when they cannot be read it gets FAT32
// with 32768-byte clusters (64 sectors of 512 bytes), and a readable size without a known file
// system gets FAT32 with that size.
FormatParameters ChooseFormatParameters(const std::optional<platform::VolumeGeometry> &geometry);

} // namespace device
