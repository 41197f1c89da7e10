#pragma once

#include "support/ProcessRunner.h"

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <gtest/gtest.h>

// Some tests need what ./test.sh installs beside the build: third-party peer programs
// (liblo's tools, openssl) or data (qlcplus-data). On a developer's machine a missing one
// skips the test; under CI (the CI variable set) it fails, since a skip there would let a
// slice pass without testing anything. `missing` names what is absent, empty when nothing is.
#define TARNIK_REQUIRE_INSTALLED(missing)                             \
  do {                                                                \
    const std::string tarnikMissing = QString(missing).toStdString(); \
    if (!tarnikMissing.empty()) {                                     \
      if (::tarnik::testing::runningUnderCI())                        \
        GTEST_FAIL() << "missing under CI: " << tarnikMissing;        \
      GTEST_SKIP() << "not installed: " << tarnikMissing;             \
    }                                                                 \
  } while (false)

#define TARNIK_REQUIRE_PROGRAMS(...) \
  TARNIK_REQUIRE_INSTALLED(::tarnik::testing::missingPrograms(QStringList{__VA_ARGS__}).join(", "))

namespace tarnik::testing {

inline QStringList missingPrograms(const QStringList &programs) {
  QStringList missing;
  for (const QString &program : programs)
    if (!ProcessRunner::isAvailable(program)) missing.append(program);
  return missing;
}

inline bool runningUnderCI() {
  const char *value = std::getenv("CI");
  return value != nullptr && *value != '\0';
}

}  // namespace tarnik::testing
