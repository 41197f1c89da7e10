#pragma once

#include "shell/WorkspacePages.h"

#include <functional>

class QWidget;

namespace tarnik {

// The program: the application object, TarnikApp and its window, then the event loop until
// the window closes. The result is the loop's, 0 when the window was closed. A probe, when
// given, sees the window before it is first shown; the program itself installs none.
int runTarnik(int &argc, char **argv, WorkspacePageFactories pages = {},
              const std::function<void(QWidget &window)> &probe = {});

}  // namespace tarnik
