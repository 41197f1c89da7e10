#pragma once

// A fixture store on virtual time whose closures record what it sends, with channel 5 a
// colour fixture: its emitters read and its native colour read as hue 10, saturation 20.
// Colour sends are kept with the virtual time they left at.

#include "operations/ColorCommandThrottler.h"
#include "operations/FixtureControlStore.h"
#include "support/ManualLevelCommandScheduler.h"

#include <QList>

#include <memory>

namespace tarnik::testing {

struct SentColor {
  double hue = 0;
  double saturation = 0;
  double at = 0;
};

struct RecordingColorStore {
  RecordingColorStore() {
    store.updateSession(session, QStringLiteral("/shows/a.esf"));
    store.requestParameters(5);
    const auto text = [](const char *value) { return OSCArgument::fromString(value); };
    store.handleMessage({QStringLiteral("/eos/out/get/params/5"), {text("Acme"), text("Wash")}});
    store.handleMessage({QStringLiteral("/eos/out/get/emitters/5"),
                         {text("Acme"), text("Wash"), text("Red"), OSCArgument::fromFloat(0),
                          OSCArgument::fromFloat(0), OSCArgument::fromFloat(100)}});
    readBack(10, 20);
  }

  // Answers every colour read of channel 5 the store has under way or queued.
  void readBack(double hue, double saturation) {
    while (store.state(5)->colorReadState == FixtureControlReadState::loading)
      store.completeColorRead(5, hue, saturation);
  }
  FixtureControlState channelFive() const { return store.state(5).value(); }
  std::unique_ptr<ColorCommandThrottler> throttler() {
    return std::make_unique<ColorCommandThrottler>(10, clock, clock->uptime());
  }

  std::shared_ptr<ManualLevelCommandScheduler> clock =
      std::make_shared<ManualLevelCommandScheduler>();
  QUuid session = QUuid::createUuid();
  QList<SentColor> sends;
  QList<int> colorReads;
  bool accepting = true;        // whether a colour send leaves
  bool colorReadStarts = true;  // whether a native colour read can be asked for
  FixtureControlStore store{
      {.querySender = [](const OSCMessage &) { return true; },
       .colorQuerySender =
           [this](int channel) { return colorReads.append(channel), colorReadStarts; },
       .mutationSender =
           [this](const OSCMessage &message) {
             if (!accepting) return false;
             sends.append({std::get<float>(message.arguments.value(0).value),
                           std::get<float>(message.arguments.value(1).value), clock->now()});
             return true;
           },
       .canControl = [] { return true; },
       .parkRequest = {},
       .onReadTimeout = {}},
      FixtureControlStore::defaultReadTimeout,
      FixtureControlStore::defaultParameterReadbackSettleDelay,
      FixtureControlStore::defaultMaximumQueuedColorReads,
      clock};
};

}  // namespace tarnik::testing
