#pragma once

#include "link/BonjourBrowsing.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

namespace tarnik::testing {

// Stands in for the Avahi browser. It keeps every browser it made with the handlers it was
// given, so a test can report through a browser even after its owner cancelled it, as a
// callback already on its way would.
class FakeBonjourBrowsers {
 public:
  struct Browser {
    QString serviceType;
    BonjourBrowseHandlers handlers;
    std::shared_ptr<bool> running;

    void report(const QList<OSCEndpoint> &results) const { handlers.resultsChanged(results); }
    void fail(const QString &description) const { handlers.failed(description); }
  };

  BonjourBrowserFactory factory() {
    return [this](const QString &serviceType, BonjourBrowseHandlers handlers) {
      auto running = std::make_shared<bool>(true);
      browsers_.push_back({serviceType, std::move(handlers), running});
      auto browser = std::make_unique<QObject>();
      QObject::connect(browser.get(), &QObject::destroyed, [running] { *running = false; });
      return browser;
    };
  }

  const std::vector<Browser> &made() const { return browsers_; }
  const Browser &latest() const { return browsers_.back(); }
  int runningCount() const {
    int count = 0;
    for (const Browser &browser : browsers_) count += *browser.running ? 1 : 0;
    return count;
  }

 private:
  std::vector<Browser> browsers_;
};

inline OSCEndpoint bonjourService(const QString &name, const QString &type) {
  return OSCEndpoint::service(name, type, QStringLiteral("local"), QStringLiteral("lo"));
}

// Endpoint texts, which GoogleTest prints readably.
inline std::vector<std::string> descriptions(const QList<OSCEndpoint> &endpoints) {
  std::vector<std::string> texts;
  for (const OSCEndpoint &endpoint : endpoints)
    texts.push_back(endpoint.description().toStdString());
  return texts;
}

}  // namespace tarnik::testing
