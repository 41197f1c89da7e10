#include "screens/support/Screenshots.h"

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
  QApplication::setStyle(QStringLiteral("Fusion"));
}

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
  if (widget.layout()) {
    widget.layout()->activate();
  }
  const QString path = folder.filePath(name + QStringLiteral(".png"));
  return widget.grab().save(path, "PNG") ? path : QString();
}

}  // namespace tarnik::testing
