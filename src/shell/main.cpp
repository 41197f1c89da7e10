#include "shell/ConnectionView.h"
#include "shell/TarnikEntry.h"

int main(int argc, char **argv) {
  tarnik::WorkspacePageFactories pages;
  pages.connection = [](tarnik::WorkspaceContext &context) -> QWidget * {
    return new tarnik::ConnectionView(context.app);
  };
  return tarnik::runTarnik(argc, argv, std::move(pages));
}
