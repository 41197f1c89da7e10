#include "link/BonjourBrowsing.h"

#include "platform/AvahiServiceBrowser.h"

namespace tarnik {
namespace {

QList<OSCEndpoint> endpoints(const QList<AvahiService> &services) {
  QList<OSCEndpoint> results;
  results.reserve(services.size());
  for (const AvahiService &service : services) {
    results.append(OSCEndpoint::service(
        service.name, service.type, service.domain,
        service.interfaceName.isEmpty() ? std::nullopt : std::optional(service.interfaceName)));
  }
  return results;
}

}  // namespace

BonjourBrowserFactory avahiBrowserFactory() {
  return [](const QString &serviceType, BonjourBrowseHandlers handlers) {
    auto browser = std::make_unique<AvahiServiceBrowser>(serviceType);
    QObject::connect(browser.get(), &AvahiServiceBrowser::servicesChanged, browser.get(),
                     [report = std::move(handlers.resultsChanged)](
                         const QList<AvahiService> &services) { report(endpoints(services)); });
    QObject::connect(browser.get(), &AvahiServiceBrowser::failed, browser.get(),
                     std::move(handlers.failed));
    return std::unique_ptr<QObject>(std::move(browser));
  };
}

}  // namespace tarnik
