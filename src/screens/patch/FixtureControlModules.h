#pragma once

#include "model/Channel.h"
#include "model/catalog/CatalogResourceLocator.h"
#include "screens/kit/KeyedTask.h"

#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

namespace tarnik {

class FixtureControlStore;
class FixtureParameterCatalogStore;
class FixtureParametersModule;
class ObservableObject;
class ScreenRefresh;

// The console-driven cards of a channel's page that depend on what the fixture store read:
// the parameters card (and, once it exists, the colour card above it). It keeps the
// store's reading of the channel's parameters current, asking for one when it first comes
// on screen, when the channel number changes, when the store starts a new console session
// and when the store learns a non-empty show identity. It draws no frame of its own: each
// card is framed by the page's card maker.
class FixtureControlModules : public QWidget {
  Q_OBJECT

 public:
  // Frames a card's content under its title; the page passes its card widget.
  using CardFrame = std::function<QWidget *(const QString &title, QWidget *content)>;

  struct Inputs {
    Channel channel;
    std::optional<QString> reportedFixtureLibraryVersion;
    bool canControl = false;
    bool isViewerMode = false;
  };

  FixtureControlModules(FixtureControlStore &store, FixtureParameterCatalogStore &parameterCatalog,
                        CatalogResourceLocator bundle, CardFrame cardFrame, Inputs inputs,
                        KeyedTaskExecutor &executor = KeyedTaskExecutor::threadPool(),
                        QWidget *parent = nullptr);

  // The page hands in its inputs again at each of its redraws.
  void setInputs(Inputs inputs);
  // Redraws after each change of the object as well (the two stores are observed already).
  void observe(const ObservableObject &object);

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void redraw();
  void requestParameters();
  void sessionMayHaveChanged();

  FixtureControlStore &store_;
  Inputs inputs_;
  ScreenRefresh *refresh_;
  FixtureParametersModule *parameters_;
  QWidget *parametersCard_;
  bool shown_ = false;
  std::optional<QUuid> lastSessionID_;
  std::optional<QString> lastShowIdentity_;
};

}  // namespace tarnik
