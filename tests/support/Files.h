#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

// Writes the bytes to the file, making its folder first. Returns whether all were written.
bool WriteFile(const QString &path, const QByteArray &bytes);

// The file's bytes; empty when it cannot be read.
QByteArray ReadFile(const QString &path);

// The text as UTF-16LE with its byte-order mark, as Windows editors save it.
QByteArray Utf16LeWithBom(const QString &text);

} // namespace testsupport
