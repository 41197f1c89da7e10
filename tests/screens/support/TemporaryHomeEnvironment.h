#pragma once

// A test program's environment whose home and XDG folders point into a temporary folder for
// the whole program, so nothing a test does can reach the real settings or downloads. It
// also makes the widget application first, since any test may build widgets.

#include "screens/support/Screenshots.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarnik::testing {

class TemporaryHomeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home_.path() + QStringLiteral("/.cache")).toUtf8());
    ensureWidgetApplication();
  }

 private:
  QTemporaryDir home_;
};

}  // namespace tarnik::testing
