// The reference of bench_window_open: the least a Qt Widgets program does to open an empty
// 1200 by 820 window, with the same first-paint probe.

#include "WindowOpenProbe.h"

#include <QApplication>

int main(int argc, char **argv) {
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  QWidget window;
  window.resize(1200, 820);
  tarnik::bench::FirstPaintProbe::install(window);
  window.show();
  return QApplication::exec();
}
