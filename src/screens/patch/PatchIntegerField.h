#pragma once

#include <QLineEdit>

#include <functional>
#include <optional>

namespace tarnik {

// A whole-number field of the patch editor. It keeps no text of its own: each edit is read
// into a value (PatchIntegerText), handed on, and the value is shown again in its place.
// Only the user's edits are read; a value the program sets is shown and never handed back.
class PatchIntegerField : public QLineEdit {
  Q_OBJECT

 public:
  PatchIntegerField(const QString &title, std::function<void(std::optional<qint64>)> edited,
                    QWidget *parent = nullptr);

  // What the empty field shows and what a screen reader calls it, always the same text.
  void setTitle(const QString &title);

  // Shows the value unless the field already shows it, so the cursor stays where it is.
  void showValue(const std::optional<qint64> &value);

 private:
  void readEdit(const QString &typed);

  std::function<void(std::optional<qint64>)> edited_;
};

}  // namespace tarnik
