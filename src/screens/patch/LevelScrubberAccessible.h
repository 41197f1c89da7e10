#pragma once

#include <QAccessibleWidget>

namespace tarnik {

class LevelScrubber;

// The scrubber as one adjustable element: "Intensity", its level as "43 percent", and
// increase and decrease actions that step it by 5 as the arrow keys do.
class LevelScrubberAccessible : public QAccessibleWidget {
 public:
  explicit LevelScrubberAccessible(LevelScrubber *scrubber);

  QString text(QAccessible::Text kind) const override;
  QStringList actionNames() const override;
  void doAction(const QString &actionName) override;

 private:
  LevelScrubber *scrubber() const;
};

}  // namespace tarnik
