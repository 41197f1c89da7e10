#include "shell/LivePage.h"

#include "screens/connection/ConnectionDiagnosticsView.h"
#include "screens/live/LiveView.h"
#include "shell/WorkspacePages.h"

#include <QDialog>

namespace tarnik {

QWidget *makeLivePage(WorkspaceContext &context) {
  AppViewModel &model = context.app;
  return new LiveView(model, {.diagnostics = [&model](QDialog &presenter) -> QWidget * {
                        auto *view = new ConnectionDiagnosticsView(model);
                        QObject::connect(view, &ConnectionDiagnosticsView::doneRequested,
                                         &presenter, &QDialog::accept);
                        return view;
                      }});
}

}  // namespace tarnik
