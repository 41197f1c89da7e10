#pragma once

class QShortcut;
class QWidget;

namespace tarnik {

// The desktop's refresh keys for a page, standing in for pulling its list down: the
// platform's own (F5) and Ctrl+R, which only some desktops count among them. They belong to
// the page while it is shown, wherever the window's focus is: the sidebar keeps it after a
// page is chosen. The caller connects the shortcut's activated().
QShortcut *addRefreshKeys(QWidget &page);

}  // namespace tarnik
