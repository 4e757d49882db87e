#pragma once

#include <QtGlobal>

// What the settings and storage panels post to the main window.
namespace cardpanels {

constexpr quint32 kMsgToggleStorage = 0x8035; // the storage panel's close
constexpr quint32 kMsgWriteSettings = 0x80C8; // settings OK
constexpr quint32 kMsgReloadSettings = 0x80C9; // settings Cancel
constexpr quint32 kMsgFormatCard = 0x80FA; // wParam: the storage panel's card index
constexpr quint32 kMsgFormatDone = 0x80FB; // the card was formatted and its settings written

} // namespace cardpanels
