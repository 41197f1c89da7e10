#pragma once

#include <QByteArray>
#include <QString>

#include <expected>

namespace tarnik {

// Writes the catalog file that a JSON description asks for (see README.md for the keys):
// a fixture or parameter payload, bare or inside its container, honest or broken.
std::expected<QByteArray, QString> writeCatalogFromJson(const QByteArray &json);

}  // namespace tarnik
