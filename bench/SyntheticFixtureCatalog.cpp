#include "SyntheticFixtureCatalog.h"

#include <QUuid>

namespace tarnik {

FixtureCatalogDescription syntheticFixtureCatalog() {
  FixtureCatalogDescription catalog;
  catalog.libraryVersion = "3.2.1.75";
  catalog.libraryDate = "2024-05-01";
  catalog.sourceFile = "synthetic.xml";
  catalog.sourceSHA256 = QByteArray(64, 'a');
  catalog.sourceBytes = 1;
  const char *kinds[] = {"Spot", "Wash", "Beam", "Profile", "Fresnel", "Strip", "Par"};
  const char *modes[] = {"Basic", "Standard", "Extended", "Pixel", "Studio"};
  catalog.manufacturers.reserve(2'000);
  catalog.models.reserve(100'000);
  catalog.modes.reserve(500'000);
  for (int maker = 0; maker < 2'000; ++maker) {
    catalog.manufacturers.append(QStringLiteral("Maker_%1").arg(maker));
    for (int model = 0; model < 50; ++model) {
      const QString name = QStringLiteral("%1 %2")
                               .arg(QString::fromLatin1(kinds[model % 7]))
                               .arg(100 + model * 13 + maker);
      catalog.models.append({quint32(maker), name});
      for (int mode = 0; mode < 5; ++mode) {
        const quint16 footprint = quint16(8 + 4 * ((model + mode) % 15));
        const QString text = QString::fromLatin1(modes[mode]);
        catalog.modes.append({QUuid::createUuidV5(QUuid(), QString::number(catalog.modes.size())),
                              quint32(catalog.models.size() - 1), text,
                              QString(name + u' ' + text).replace(u' ', u'_'), footprint, footprint,
                              0});
      }
    }
  }
  return catalog;
}

}  // namespace tarnik
