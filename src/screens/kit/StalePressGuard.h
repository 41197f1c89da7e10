#pragma once

class QWidget;

namespace tarnik {

// Keeps a page that has just come on screen from taking the rest of a run of clicks that
// began on the page before it: the second click of a double-click whose first click showed
// the page, the third of a triple-click, or a release whose press it never saw. A press
// continues a run as the platform counts double-clicks: within its double-click interval and
// distance of the press before it. Until the page gets a press that is not part of such a run,
// its widgets see no press, double-click or release; from that press on, everything reaches
// them as usual. Guarding a page that is already guarded does nothing more.
void guardAgainstStalePresses(QWidget &page);

}  // namespace tarnik
