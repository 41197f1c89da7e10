#pragma once

#include "support/ProcessRunner.h"

#include <QStringList>

#include <cstdlib>
#include <gtest/gtest.h>

// Interop tests talk to third-party peer programs (liblo's tools, openssl). On a developer's
// machine a missing peer skips the test; under CI (the CI variable set) ./test.sh has
// installed every peer, so a missing one fails: a skip there would let an interop slice pass
// without testing anything.
#define TARNIK_REQUIRE_PROGRAMS(...)                                                        \
  do {                                                                                      \
    const QStringList tarnikMissingPrograms =                                               \
        ::tarnik::testing::missingPrograms(QStringList{__VA_ARGS__});                       \
    if (!tarnikMissingPrograms.isEmpty()) {                                                 \
      const std::string tarnikMissingText = tarnikMissingPrograms.join(", ").toStdString(); \
      if (::tarnik::testing::runningUnderCI())                                              \
        GTEST_FAIL() << "peer program missing under CI: " << tarnikMissingText;             \
      GTEST_SKIP() << "peer program not installed: " << tarnikMissingText;                  \
    }                                                                                       \
  } while (false)

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
