#pragma once

#include <QByteArray>
#include <QDateTime>

#include <optional>

// The time file through which the recorder sets its clock: "time.cfg" in the card's root holding
// exactly "YYYY.MM.DD-hh:mm:ss" (19 ASCII bytes, no line end).

namespace device {

inline constexpr const char *kTimeFileName = "time.cfg";
constexpr int kTimeFileLength = 19;

// The file's content for a valid calendar date and time, or nothing (the recorder would read a
// wrong time from anything else).
std::optional<QByteArray> TimeFileText(int year, int month, int day, int hour, int minute, int second);
std::optional<QByteArray> TimeFileText(const QDateTime &time);

// The inverse, for the tools: accepts exactly the 19-character form of a valid date and time.
std::optional<QDateTime> ParseTimeFileText(const QString &text);

} // namespace device
