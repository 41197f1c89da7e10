#pragma once

#include "operations/FixtureControlState.h"
#include "screens/patch/FixtureParameterSlots.h"

#include <QLocale>
#include <QWidget>

#include <optional>

namespace tarnik {

// One parameter as the console reported it: name, range and its DMX slots per part on the
// left, the value on the right. Read as one element: the parameter's whole sentence.
class FixtureParameterRow : public QWidget {
  Q_OBJECT

 public:
  FixtureParameterRow(const FixtureControlParameter &parameter,
                      const std::optional<QList<FixtureParameterPartDMX>> &partDMX,
                      bool isResolvingDMX, const QLocale &locale = QLocale(),
                      QWidget *parent = nullptr);
};

}  // namespace tarnik
