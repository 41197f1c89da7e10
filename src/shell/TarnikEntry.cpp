#include "shell/TarnikEntry.h"

#include "screens/kit/Style.h"
#include "shell/MacWorkspaceView.h"
#include "shell/TarnikApp.h"

#include <QApplication>

namespace tarnik {

int runTarnik(int &argc, char **argv, WorkspacePageFactories pages,
              const std::function<void(QWidget &window)> &probe) {
  QApplication application(argc, argv);
  Style::useApplicationStyle();
  QApplication::setApplicationName(QStringLiteral("Tarnik"));
  QApplication::setOrganizationName(QStringLiteral("quellmoor"));

  TarnikApp app;
  MacWorkspaceView &window = app.openWindow(std::move(pages));
  if (probe) {
    probe(window);
  }
  window.show();
  return QApplication::exec();
}

}  // namespace tarnik
