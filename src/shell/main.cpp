#include "screens/connection/ConnectionView.h"
#include "screens/connection/ControllerPage.h"
#include "screens/connection/RelayPage.h"
#include "screens/live/CueView.h"
#include "screens/patch/PatchEditorView.h"
#include "screens/patch/PatchView.h"
#include "shell/LivePage.h"
#include "shell/TarnikEntry.h"

int main(int argc, char **argv) {
  tarnik::WorkspacePageFactories pages;
  pages.connection = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::ConnectionView(context.app);
  };
  pages.relaySection = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::RelayPage(context);
  };
  pages.patch = [](tarnik::WorkspaceContext &context) -> QWidget * {
    tarnik::PatchView::Destinations destinations;
    destinations.newPatchEditor = [](tarnik::AppViewModel &app, QWidget *page) {
      tarnik::openPatchEditor(app, std::nullopt, page, tarnik::standardCatalogBrowser());
    };
    return new tarnik::PatchView(context.app, std::move(destinations));
  };
  pages.live = tarnik::makeLivePage;
  pages.cues = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::CueView(context.app);
  };
  pages.controllerSections = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::ControllerPage(context);
  };
  return tarnik::runTarnik(argc, argv, std::move(pages));
}
