#pragma once

#include "model/Channel.h"
#include "model/catalog/CatalogResourceLocator.h"
#include "operations/FixtureControlState.h"
#include "screens/patch/DMXSlotResolver.h"

#include <QLocale>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QToolButton;
class QVBoxLayout;

namespace tarnik {

class FixtureParameterCatalogStore;

// The content of the "Parameters" card: the parameters the console reported for the
// channel, each with its value, range and DMX slots per patched part. Values come from the
// fixture store; slots from the parameter catalog and the part's patch addresses, worked
// out off the GUI thread whenever anything they depend on changes (DMXSlotResolver). The
// owner hands in its inputs again at each of its redraws.
//
// Names: "fixture.parameters.footnote", "fixture.parameters.refresh", the body's
// "fixture.parameters.message" (a plain line or a status row's text),
// "fixture.parameters.unavailable", "fixture.parameters.list" with a row per parameter
// ("fixture.parameters.row." + its row identity, "parameters:pan"), and
// "fixture.parameters.library".
class FixtureParametersModule : public QWidget {
  Q_OBJECT

 public:
  struct Inputs {
    std::optional<FixtureControlState> state;
    Channel channel;
    std::optional<QUuid> storeSessionID;
    std::optional<QString> storeShowIdentity;
    std::optional<QString> reportedFixtureLibraryVersion;
    bool canControl = false;
  };

  FixtureParametersModule(FixtureParameterCatalogStore &parameterCatalog,
                          CatalogResourceLocator bundle, std::function<void()> retry,
                          KeyedTaskExecutor &executor = KeyedTaskExecutor::threadPool(),
                          QWidget *parent = nullptr);

  static QString title() { return QStringLiteral("Parameters"); }
  void setInputs(Inputs inputs);

 private:
  FixtureParameterLookupID lookupIdentity() const;
  void publish(const DMXSlotResolver::Result &result);
  void redrawBody();
  QWidget *makeParameterList();
  QWidget *makeStatusRow(const QString &message);
  QWidget *makeMessage(const QString &message);

  FixtureParameterCatalogStore &parameterCatalog_;
  const QLocale locale_;
  QToolButton *refresh_;
  QVBoxLayout *body_;
  QLabel *library_;
  DMXSlotResolver resolver_;

  // What the body shows; the body is built again only when this changes, since the owner
  // hands its inputs in at every change of the model.
  struct Shown {
    std::optional<FixtureControlState> state;
    bool hasSession = false;
    FixtureParameterDMXByName dmxByParameterName;
    bool isResolvingDMX = false;
    friend bool operator==(const Shown &, const Shown &) = default;
  };

  Inputs inputs_;
  std::optional<Shown> shown_;
  std::optional<FixtureParameterLookupID> lookup_;
  FixtureParameterDMXByName dmxByParameterName_;
  bool isResolvingDMX_ = false;
  std::optional<QString> resolvedLibraryVersion_;
};

}  // namespace tarnik
