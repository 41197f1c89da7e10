#pragma once

class QWidget;

namespace tarnik {

struct WorkspaceContext;

// The "Live" page for the window, its diagnostics dialog showing the window's own
// connection diagnostics screen.
QWidget *makeLivePage(WorkspaceContext &context);

}  // namespace tarnik
