#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace tarnik {

// What a list or page shows when it has nothing to show: a symbol, a title, a description
// and, where the user can do something about it, one button, centred in the space given.
// Every text is shown as plain text, so a name or query from the console or the user is
// never read as markup.
//
// Parts are named under the view's own objectName: "<name>.icon", "<name>.title",
// "<name>.description", "<name>.button".
class EmptyStateView : public QWidget {
  Q_OBJECT

 public:
  explicit EmptyStateView(const QString &name, QWidget *parent = nullptr);

  // A symbol name without an SVG shows no symbol; an empty description shows none.
  void setContent(const QString &symbolName, const QString &title, const QString &description);
  // The standard view for a search that found nothing, naming the query exactly as typed.
  void setSearchQuery(const QString &query);
  // The one button, made on the first call; the page connects it and keeps it current.
  QPushButton *button(const QString &text);

 private:
  QLabel *icon_;
  QLabel *title_;
  QLabel *description_;
  QPushButton *button_ = nullptr;
};

}  // namespace tarnik
