#pragma once

#include "screens/patch/CatalogBrowserContext.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QStackedWidget;

namespace tarnik {

class AppTiming;
class CatalogModeSearch;
class CatalogResultsArea;
class CatalogRowListView;
class ScreenRefresh;

// The loaded catalog's root list: the search field, the "Library" section (the bundled
// version and whether the console's matches), then either the modes the search found or
// every manufacturer, each opening its models. Parts under "fixture.catalog": ".search",
// ".bundled", ".banner", ".bannerIcon", ".modes", ".results", ".limitNote",
// ".manufacturers" (rows "fixture.catalog.manufacturer." + id).
class FixtureCatalogSearchList : public QWidget {
  Q_OBJECT

 public:
  FixtureCatalogSearchList(CatalogBrowserContext context,
                           std::optional<QString> reportedFixtureLibraryVersion,
                           std::shared_ptr<AppTiming> timing, QWidget *parent = nullptr);

 private:
  void redrawLibrary();
  void redrawManufacturers();
  void redrawSearch();

  const CatalogBrowserContext context_;
  const std::optional<QString> reportedVersion_;
  CatalogModeSearch *search_;
  QLineEdit *field_;
  QWidget *library_;
  QLabel *bundled_;
  QLabel *bannerIcon_;
  QLabel *banner_;
  QStackedWidget *sections_;
  QWidget *modes_;
  CatalogResultsArea *results_;
  QLabel *limitNote_;
  QWidget *manufacturerSection_;
  CatalogRowListView *manufacturers_;
  ScreenRefresh *refresh_;
};

}  // namespace tarnik
