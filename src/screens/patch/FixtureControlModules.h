#pragma once

#include "model/Channel.h"
#include "model/catalog/CatalogResourceLocator.h"
#include "operations/FixtureControlState.h"
#include "screens/kit/KeyedTask.h"

#include <QUuid>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class ColorCommandThrottler;
class FixtureColorModule;
class FixtureControlStore;
class FixtureParameterCatalogStore;
class FixtureParametersModule;
class ObservableObject;
class ScreenRefresh;

// The console-driven cards of a channel's page that depend on what the fixture store read:
// the colour card while the fixture has adjustable colour emitters, then the parameters
// card. The colour card is made when they appear, handed each new state of the store, and
// ended and dropped when they go; it may change colour only with control and outside viewer
// mode. The container keeps the
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
  // Where each new colour card takes its throttler (tests: one on virtual time); without
  // one, the card makes its own on the system clock.
  void setColorThrottlerMaker(std::function<std::unique_ptr<ColorCommandThrottler>()> maker);

 protected:
  void showEvent(QShowEvent *event) override;

 private:
  void redraw();
  void showColorCard(const std::optional<FixtureControlState> &state);
  void dropColorCard();
  void requestParameters();
  void sessionMayHaveChanged();

  FixtureControlStore &store_;
  CardFrame cardFrame_;
  Inputs inputs_;
  ScreenRefresh *refresh_;
  FixtureParametersModule *parameters_;
  QWidget *parametersCard_;
  std::function<std::unique_ptr<ColorCommandThrottler>()> makeColorThrottler_;
  FixtureColorModule *colorModule_ = nullptr;
  QWidget *colorCard_ = nullptr;
  bool shown_ = false;
  std::optional<QUuid> lastSessionID_;
  std::optional<QString> lastShowIdentity_;
};

}  // namespace tarnik
