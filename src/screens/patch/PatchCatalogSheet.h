#pragma once

#include "model/PatchFixtureChoice.h"

#include <QDialog>

#include <functional>
#include <optional>

namespace tarnik {

class FixtureCatalogStore;

// Makes the fixture catalog browser for one opening of the sheet: given the store, the
// library version the console reported when the sheet opens, and what to do on a chosen
// mode and on "Cancel". The browser never closes itself; the sheet does.
using FixtureCatalogBrowserFactory = std::function<QWidget *(
    FixtureCatalogStore &store, const std::optional<QString> &reportedVersion,
    std::function<void(const PatchFixtureChoice &)> onSelect, std::function<void()> onCancel)>;

// The bundled fixture library's browser (`FixtureCatalogView`), as the program opens it.
FixtureCatalogBrowserFactory standardCatalogBrowser();

// The sheet the editor's fixture-mode button opens, a new one per press, window-modal over
// the editor and gone once closed. A chosen mode is handed on once and closes the sheet;
// "Cancel", Escape or the close button leave the editor's choice as it was.
class PatchCatalogSheet : public QDialog {
  Q_OBJECT

 public:
  PatchCatalogSheet(const FixtureCatalogBrowserFactory &makeBrowser, FixtureCatalogStore &store,
                    const std::optional<QString> &reportedVersion,
                    std::function<void(const PatchFixtureChoice &)> onSelect, QWidget *parent);
};

}  // namespace tarnik
