#pragma once

class QWidget;

namespace tarnik {

// Keeps a page that has just come on screen from taking the rest of a click that began on
// the page before it: the second click of a double-click whose first click showed the page,
// or a release whose press it never saw. Until the page gets a press of its own, its
// widgets see neither; from that press on, everything reaches them as usual. Guarding a
// page that is already guarded does nothing more.
void guardAgainstStalePresses(QWidget &page);

}  // namespace tarnik
