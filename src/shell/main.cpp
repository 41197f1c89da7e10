#include "screens/connection/ConnectionView.h"
#include "screens/connection/ControllerPage.h"
#include "screens/connection/RelayPage.h"
#include "screens/live/CueView.h"
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
    return new tarnik::PatchView(context.app);
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
