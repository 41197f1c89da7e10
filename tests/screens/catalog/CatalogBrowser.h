#pragma once

// A fixture catalog browser on screen for the widget and X server tests, with what it
// handed back, and its parts by name.

#include "model/catalog/FixtureCatalogStore.h"
#include "screens/patch/CatalogRowListView.h"
#include "screens/patch/FixtureCatalogView.h"

#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QTest>

#include <gtest/gtest.h>

namespace tarnik::catalogtest {

struct CatalogBrowser {
  explicit CatalogBrowser(FixtureCatalogServices services,
                          std::optional<QString> reportedVersion = std::nullopt)
      : view(
            store, std::move(reportedVersion),
            [this](const PatchFixtureChoice &choice) { choices.append(choice); },
            [this] { ++cancels; }, std::move(services)) {
    view.resize(560, 720);
  }

  template <class T = QWidget>
  T *part(const QString &name) const {
    return view.findChild<T *>(name);
  }
  QLineEdit *field(const QString &page) const {
    return part<QLineEdit>(page + QStringLiteral(".search"));
  }
  CatalogRowListView *list(const QString &name) const { return part<CatalogRowListView>(name); }
  bool shows(const QString &name) const {
    const QWidget *widget = part(name);
    return widget && widget->isVisibleTo(&view);
  }
  QString text(const QString &name) const {
    const QLabel *label = part<QLabel>(name);
    return label ? label->text() : QString();
  }

  FixtureCatalogStore store;
  QList<PatchFixtureChoice> choices;
  int cancels = 0;
  FixtureCatalogView view;
};

// Waits until the list has laid out every row (rows are laid out in batches).
inline bool rowsLaidOut(CatalogRowListView &list) {
  return QTest::qWaitFor(
      [&] {
        const int rows = list.model()->rowCount();
        return rows > 0 && list.visualRect(list.model()->index(rows - 1, 0)).isValid();
      },
      5000);
}

// Presses a row named by its data role, at the trailing end of its rectangle, away from
// its texts, as a person presses a row anywhere.
inline bool pressRow(CatalogRowListView &list, const QString &objectName) {
  const int row = list.rows().rowNamed(objectName);
  if (row < 0) return false;
  const QModelIndex index = list.model()->index(row, 0);
  list.scrollTo(index);
  if (!QTest::qWaitFor([&] { return list.visualRect(index).isValid(); }, 5000)) return false;
  const QRect rect = list.visualRect(index);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                    QPoint(rect.right() - 2, rect.center().y()));
  return true;
}

}  // namespace tarnik::catalogtest
