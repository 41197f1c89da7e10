#pragma once

// Every screen a widget test builds is also written as a PNG, so anyone can look at the
// screens without running them. Widget tests need a QApplication, not the plain
// QCoreApplication that ensureCoreApplication() makes: call ensureWidgetApplication()
// before anything else touches Qt.

#include <QString>

class QWidget;

namespace tarnik::testing {

// Makes the QApplication (Fusion style, as the program uses) unless one exists already.
void ensureWidgetApplication();

// Writes the widget, laid out at the size it was given (its size hint when it was never
// resized), to <build>/screenshots/<name>.png. Returns the path, or an empty text when the
// file could not be written.
QString saveScreenshot(QWidget &widget, const QString &name);

}  // namespace tarnik::testing
