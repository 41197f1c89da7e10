#pragma once

#include <QDialog>
#include <QHash>

class QFormLayout;
class QLabel;

namespace tarnik {

class AppViewModel;
class SelectableWrappedLabel;
struct ShowDetailsRow;

// The "Show Details" sheet: which show and console the Live page's data belong to, how much
// is loaded and how current it is. It follows the model while open and changes nothing.
class LiveShowDetailsView : public QDialog {
  Q_OBJECT

 public:
  explicit LiveShowDetailsView(AppViewModel &model, QWidget *parent = nullptr);

 private:
  void redraw();
  void fillSection(QFormLayout &section, const QList<ShowDetailsRow> &rows);

  AppViewModel &model_;
  QFormLayout *currentShow_;
  QFormLayout *loadedData_;
  QLabel *note_;
  // The value label of each row, by its name; a row the content leaves out is hidden. A value
  // may be the console's text (the show's name): it wraps whole onto the lines it needs, and a
  // copy of it gives it whole.
  QHash<QString, SelectableWrappedLabel *> values_;
};

}  // namespace tarnik
