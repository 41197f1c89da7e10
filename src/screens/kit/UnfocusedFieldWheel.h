#pragma once

class QApplication;

namespace tarnik {

// Lets the mouse wheel scroll a page past its combo boxes and spin boxes: a wheel turned over
// one that does not have the focus goes on to the page around it and never changes its value,
// so a person scrolling a form does not change a setting the pointer happens to pass over. A
// field takes the focus from a click or Tab, no longer from the wheel; once it has it, the
// wheel steps its value as before. Installed once for the whole application.
void letTheWheelScrollPastUnfocusedFields(QApplication &application);

}  // namespace tarnik
