#pragma once

#include "screens/kit/TitledSection.h"

namespace tarnik {

// The titled card that frames each module of a channel's page: the title over the module's
// content on a translucent rounded panel. The title is named "fixture.module." + the title
// in lower case, blanks kept ("fixture.module.live controls").
class FixtureModuleCard : public TitledSection {
  Q_OBJECT

 public:
  // The card takes the content.
  FixtureModuleCard(const QString &title, QWidget *content, QWidget *parent = nullptr);

  QWidget *content() const { return content_; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QWidget *content_;
};

}  // namespace tarnik
