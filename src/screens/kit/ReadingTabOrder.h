#pragma once

class QWidget;

namespace tarnik {

// Chains the Tab order of every control under the root in the order its layouts place them,
// top to bottom and left to right within a row. Qt's own order is the order the controls
// were made in, so rows a page rebuilds would otherwise come after everything else.
void setReadingTabOrder(QWidget &root);

}  // namespace tarnik
