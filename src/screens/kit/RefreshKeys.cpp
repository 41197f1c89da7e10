#include "screens/kit/RefreshKeys.h"

#include <QShortcut>
#include <QWidget>

namespace tarnik {

QShortcut *addRefreshKeys(QWidget &page) {
  auto *keys = new QShortcut(&page);
  QList<QKeySequence> sequences = QKeySequence::keyBindings(QKeySequence::Refresh);
  if (!sequences.contains(QKeySequence(Qt::CTRL | Qt::Key_R)))
    sequences.append(Qt::CTRL | Qt::Key_R);
  keys->setKeys(sequences);
  // A shortcut of the window, which Qt offers only while the page is visible.
  keys->setContext(Qt::WindowShortcut);
  return keys;
}

}  // namespace tarnik
