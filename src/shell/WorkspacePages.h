#pragma once

#include "screens/connection/WorkspaceContext.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tarnik {

// Builds one piece of a page, afresh each time the page is shown. The window owns what it
// returns.
using WorkspacePaneFactory = std::function<QWidget *(WorkspaceContext &)>;

// The screens plug into the window here. A piece left unset is simply absent, so a page
// whose screen is not written yet shows only its title.
struct WorkspacePageFactories {
  WorkspacePaneFactory connection;          // "Connection & relay", left
  WorkspacePaneFactory relaySection;        // "Connection & relay", right
  WorkspacePaneFactory live;                // "Live"
  WorkspacePaneFactory cues;                // "Cues"
  WorkspacePaneFactory patch;               // "Patch"
  WorkspacePaneFactory controllerSections;  // "Xbox controller"
  WorkspacePaneFactory updatesSection;      // "Updates"; the Updates page unless replaced
};

// The six pages, in sidebar order, and how a stored page title is read: by exact text, and
// anything unknown is the connection page.
namespace WorkspacePages {
enum class Page { connectionAndRelay, live, cues, patch, controller, updates };
const QStringList &titles();
Page page(const QString &title);
QString symbolName(Page page);
}  // namespace WorkspacePages

}  // namespace tarnik
