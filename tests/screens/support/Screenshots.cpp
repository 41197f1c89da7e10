#include "screens/support/Screenshots.h"

#include "screens/kit/Style.h"

#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QPixmap>
#include <QWidget>

namespace tarnik::testing {

void ensureWidgetApplication() {
  if (QCoreApplication::instance()) {
    return;
  }
  static int argc = 1;
  static char name[] = "tarnik_widget_tests";
  static char *argv[] = {name, nullptr};
  new QApplication(argc, argv);
  Style::useApplicationStyle();
}

namespace {

// A child whose contents changed has only posted its layout request; the top-level layout
// alone would leave it at its old size, clipped or squashed. Each round delivers every
// pending request and activates every layout of the tree, until a round changes nothing.
void settleLayouts(QWidget &widget) {
  constexpr int maximumRounds = 16;
  for (int round = 0; round < maximumRounds; ++round) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    bool changed = widget.layout() && widget.layout()->activate();
    for (QWidget *child : widget.findChildren<QWidget *>()) {
      if (child->layout() && child->layout()->activate()) {
        changed = true;
      }
    }
    if (!changed) {
      return;
    }
  }
}

}  // namespace

QString saveScreenshot(QWidget &widget, const QString &name) {
  // The build folder is fixed when the tests are configured, so the pictures land in the
  // same place whichever folder ctest runs them from.
  const QDir folder(QStringLiteral(TARNIK_BUILD_DIR "/screenshots"));
  if (!folder.mkpath(QStringLiteral("."))) {
    return {};
  }
  widget.ensurePolished();
  if (!widget.testAttribute(Qt::WA_Resized)) {
    widget.adjustSize();
  }
  settleLayouts(widget);
  const QString path = folder.filePath(name + QStringLiteral(".png"));
  return widget.grab().save(path, "PNG") ? path : QString();
}

}  // namespace tarnik::testing
