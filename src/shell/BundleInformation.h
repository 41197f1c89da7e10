#pragma once

#include <QString>
#include <QVariantMap>

namespace tarnik {

// The application's information dictionary: a read-only map of values fixed when the
// program was built. There is no file, option or environment variable that adds to it.
using InformationDictionary = QVariantMap;

// Holds "SUFeedURL" and "SUPublicEDKey" only when the build was configured with them.
const InformationDictionary &mainBundleInformation();

// The program's own version, dotted whole numbers ("0.1").
QString programVersion();

}  // namespace tarnik
