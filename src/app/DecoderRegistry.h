#pragma once

#include <QString>

namespace platform {
class SettingsBackend;
}

// Settings values that the video decoders and the embedded browser read. The decoders
// serve only programs named in their white list; the browser needs its document mode.

// Opens a key, creating it (and its parent first) when it is missing. False when it
// cannot be created; the caller then skips the key.
bool OpenOrCreateKey(platform::SettingsBackend &settings, const QString &keyPath);

// Appends `token` to the string value "whitelist" of the key unless it already contains
// it (an absent value counts as empty). True when the value was changed.
bool AppendToWhitelist(platform::SettingsBackend &settings, const QString &keyPath, const QString &token);

// Everything above, for the program file `programFileName` (name and extension, no folder).
void PrepareDecoderRegistry(platform::SettingsBackend &settings, const QString &programFileName);

inline constexpr quint32 kBrowserEmulationMode = 6000;
