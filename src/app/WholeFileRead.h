#pragma once

#include <QByteArray>
#include <QString>

#include <expected>
#include <optional>

namespace tarnik {

// A file's whole content, or no content when there is no such file, or why it could not be
// read, in the system's words ("Permission denied"). Every read's result is checked, so a
// file that stops in the middle of being read is not taken for a shorter one. Runs on any
// thread.
using FileReadResult = std::expected<std::optional<QByteArray>, QString>;
FileReadResult readFileWhole(const QString &fileName);

}  // namespace tarnik
