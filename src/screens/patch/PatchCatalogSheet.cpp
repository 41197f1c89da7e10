#include "screens/patch/PatchCatalogSheet.h"

#include "screens/patch/FixtureCatalogView.h"

#include <QPointer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tarnik {

FixtureCatalogBrowserFactory standardCatalogBrowser() {
  return [](FixtureCatalogStore &store, const std::optional<QString> &reportedVersion,
            std::function<void(const PatchFixtureChoice &)> onSelect,
            std::function<void()> onCancel) -> QWidget * {
    return new FixtureCatalogView(store, reportedVersion, std::move(onSelect), std::move(onCancel));
  };
}

PatchCatalogSheet::PatchCatalogSheet(const FixtureCatalogBrowserFactory &makeBrowser,
                                     FixtureCatalogStore &store,
                                     const std::optional<QString> &reportedVersion,
                                     std::function<void(const PatchFixtureChoice &)> onSelect,
                                     QWidget *parent)
    : QDialog(parent) {
  setObjectName(u"patch.catalogSheet"_s);
  setWindowTitle(u"Fixture Library"_s);
  setWindowModality(Qt::WindowModal);
  setAttribute(Qt::WA_DeleteOnClose);
  resize(560, 640);
  const QPointer<PatchCatalogSheet> sheet(this);
  QWidget *browser = makeBrowser(
      store, reportedVersion,
      [sheet, onSelect = std::move(onSelect)](const PatchFixtureChoice &choice) {
        // A second press that arrives while the sheet closes chooses nothing more.
        if (!sheet || sheet->result() == QDialog::Accepted || !sheet->isVisible()) return;
        onSelect(choice);
        sheet->accept();
      },
      [sheet] {
        if (sheet) sheet->reject();
      });
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
}

}  // namespace tarnik
