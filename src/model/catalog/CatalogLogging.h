#pragma once

#include <QLoggingCategory>

// The fixture catalogs' trail: what a load found or why it failed.
// Off by default; QT_LOGGING_RULES="tarnik.catalog=true" turns it on.
Q_DECLARE_LOGGING_CATEGORY(tarnikCatalog)
