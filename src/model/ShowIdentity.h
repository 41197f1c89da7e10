#pragma once

#include <QString>

#include <optional>

namespace tarnik {

// A show is known by the file path the console reports. Some consoles pad that path with
// blanks or a line break, and not always the same way in every reply, so the identity is
// the path without them: every "is this still the same show?" goes through here.
QString showIdentity(const QString &reportedPath);

// True when both paths name one show.
bool isSameShow(const QString &lhs, const QString &rhs);
// True when both are present and name one show.
bool isSameShow(const std::optional<QString> &lhs, const std::optional<QString> &rhs);

}  // namespace tarnik
