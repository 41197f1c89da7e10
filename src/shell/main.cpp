#include "screens/live/CueView.h"
#include "shell/ConnectionView.h"
#include "shell/ControllerPage.h"
#include "shell/RelayPage.h"
#include "shell/TarnikEntry.h"

int main(int argc, char **argv) {
  tarnik::WorkspacePageFactories pages;
  pages.connection = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::ConnectionView(context.app);
  };
  pages.relaySection = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::RelayPage(context);
  };
  pages.cues = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::CueView(context.app);
  };
  pages.controllerSections = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::ControllerPage(context);
  };
  return tarnik::runTarnik(argc, argv, std::move(pages));
}
