// The reply dispatcher's tests of address and argument shape, and the show identity as
// far as it needs no connection.

#include "AppViewModelTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using Arguments = QList<OSCArgument>;

OSCArgument text(const char *value) { return OSCArgument::fromString(QString::fromUtf8(value)); }

class AppViewModelDispatcherTest : public AppViewModelTest {};

TEST_F(AppViewModelDispatcherTest, TakesConsoleFactsOnlyInTheirShape) {
  // What each message leaves in the field it would set: version, user or soft key 12.
  struct Case {
    const char *address;
    Arguments arguments;
    const char *version;
    std::optional<qint64> user;
    const char *lastSoftkey;
  };
  const QList<Case> cases{
      {"/eos/out/get/version", {text("3.2"), text("lib 7")}, "3.2", {}, ""},
      {"/eos/out/get/version", {text("3.2")}, "none", {}, ""},
      {"/eos/out/get/version", {text("3.2"), OSCArgument::fromInt(7)}, "none", {}, ""},
      {"eos/out/get/version", {text("3.2"), text("lib 7")}, "none", {}, ""},
      {"/eos/out/user", {OSCArgument::fromFloat(3.0f)}, "none", 3, ""},
      {"/eos/out/user", {OSCArgument::fromFloat(3.5f)}, "none", {}, ""},
      {"/eos/out/user", {OSCArgument::fromBool(true)}, "none", {}, ""},
      {"/eos/out/softkey/12", {text("Go To")}, "none", {}, "Go To"},
      {"/eos/out/softkey/13", {text("Go To")}, "none", {}, ""},
      {"/eos/out/softkey/0", {text("Go To")}, "none", {}, ""},
      {"/eos/out/softkey/12", {OSCArgument::fromInt(3)}, "none", {}, ""},
  };
  for (const Case &row : cases) {
    SCOPED_TRACE(std::string(row.address) + " #" + std::to_string(&row - cases.data()));
    const std::unique_ptr<AppViewModel> model = makeModel();
    model->handleOSCMessage(QString::fromUtf8(row.address), row.arguments);
    EXPECT_EQ(model->eosSoftwareVersion().value_or(u"none"_s), QString::fromUtf8(row.version));
    EXPECT_EQ(model->commandLine().consoleUser(), row.user);
    EXPECT_EQ(model->softkeyLabels().size(), 12);
    EXPECT_EQ(model->softkeyLabels().last(), QString::fromUtf8(row.lastSoftkey));
  }
}

TEST_F(AppViewModelDispatcherTest, ShowsAreNamedByTheirLastPathComponent) {
  const QList<std::pair<const char *, const char *>> cases{
      {"/shows/Gala.v2.esf", "Gala.v2"},
      {"/shows/.esf", ".esf"},
      {"/shows/Gala/", "Gala"},
      {"Gala", "Gala"},
      {"/", "/"},
      {"C:/Shows/Spring Gala.esf", "Spring Gala"},
  };
  for (const auto &[path, name] : cases) {
    EXPECT_EQ(ShowMirror::showDisplayName(QString::fromUtf8(path)), QString::fromUtf8(name))
        << path;
  }
}

// The console's show name replaces the one taken from the path; a blank one says nothing.
TEST_F(AppViewModelDispatcherTest, AShowNameOfBlanksChangesNothing) {
  const QList<std::pair<const char *, const char *>> cases{
      {" Spring Gala ", "Spring Gala"},
      {"  ", "Gala"},
      {"\n\t", "Gala"},
      {"", "Gala"},
  };
  for (const auto &[name, shown] : cases) {
    const std::unique_ptr<AppViewModel> model = makeModel();
    model->handleOSCMessage(u"/eos/out/get/show/path"_s, {text("/shows/Gala.esf")});
    model->handleOSCMessage(u"/eos/out/show/name"_s, {text(name)});
    EXPECT_EQ(model->showFileName(), QString::fromUtf8(shown)) << name;
    // A later path of the same show keeps the console's name.
    model->handleOSCMessage(u"/eos/out/get/show/path"_s, {text("/shows/Gala.esf")});
    EXPECT_EQ(model->showFileName(), QString::fromUtf8(shown)) << name;
  }
}

TEST_F(AppViewModelDispatcherTest, ConnectionChangesAreAnnouncedAtMostTenTimesASecond) {
  const std::unique_ptr<AppViewModel> model = makeModel();
  int announcements = 0;
  QObject::connect(model.get(), &AppViewModel::objectWillChange, model.get(),
                   [&] { ++announcements; });
  const auto connectionChanges = [&](int count) {
    for (int change = 0; change < count; ++change) emit model->oscManager()->objectWillChange();
  };
  connectionChanges(5);
  EXPECT_EQ(announcements, 1);  // the first at once
  timing->advance(0.1);
  EXPECT_EQ(announcements, 2);  // the last of the burst, at the end of the window
  timing->advance(0.1);
  connectionChanges(1);
  timing->advance(0.1);
  EXPECT_EQ(announcements, 3);
}

}  // namespace
}  // namespace tarnik::testing
