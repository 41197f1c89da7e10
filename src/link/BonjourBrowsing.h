#pragma once

#include "link/OSCEndpoint.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace tarnik {

// What a running Bonjour browse reports: every change as the complete current list of
// results, and a failure with its description.
struct BonjourBrowseHandlers {
  std::function<void(const QList<OSCEndpoint> &results)> resultsChanged;
  std::function<void(const QString &errorDescription)> failed;
};

// Starts browsing the default domains for one service type. The returned object is the
// running browser: destroying it cancels the browse.
using BonjourBrowserFactory =
    std::function<std::unique_ptr<QObject>(const QString &serviceType, BonjourBrowseHandlers)>;

// Browses through the Avahi daemon. Each result is a service endpoint bound to the
// interface it was seen on.
BonjourBrowserFactory avahiBrowserFactory();

}  // namespace tarnik
