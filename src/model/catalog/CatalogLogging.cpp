#include "model/catalog/CatalogLogging.h"

// Debug and info messages are off until QT_LOGGING_RULES asks for them; warnings show.
Q_LOGGING_CATEGORY(tarnikCatalog, "tarnik.catalog", QtWarningMsg)
