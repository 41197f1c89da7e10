// Active and pending cue texts in the forms the console's documentation shows: a time after
// the label, and a blank after the list's slash.

#include "AppViewModelTestSupport.h"
#include "support/QtPrinting.h"

using namespace Qt::StringLiterals;

namespace tarnik::testing {
namespace {

using CueTextForms = AppViewModelTest;

TEST_F(CueTextForms, TimesAndASplitListNumberAreRead) {
  const struct {
    QString text, number, label;
    std::optional<double> progress;
  } cases[] = {
      {u"1/2.3 Label 0:05 75%"_s, u"2.3"_s, u"Label"_s, 0.75},
      {u"1/ 2.3 Label 0:05 75%"_s, u"2.3"_s, u"Label"_s, 0.75},
      {u"1/ 2.3 Label 1:02:03.5"_s, u"2.3"_s, u"Label"_s, std::nullopt},
      {u"4 Two Words 12:30.25 10%"_s, u"4"_s, u"Two Words"_s, 0.1},
      {u"1/ Label 0:05"_s, u"1"_s, u"Label"_s, std::nullopt},  // no number after the slash
      // Not a time, and only the last word is ever taken as one.
      {u"5 Act 3:5"_s, u"5"_s, u"Act 3:5"_s, std::nullopt},
      {u"5 Act 0:05 2"_s, u"5"_s, u"Act 0:05"_s, std::nullopt},
  };
  for (const auto &row : cases) {
    SCOPED_TRACE(row.text.toStdString());
    const std::unique_ptr<AppViewModel> model = makeModel();
    model->handleOSCMessage(u"/eos/out/active/cue/text"_s, {OSCArgument::fromString(row.text)});
    model->handleOSCMessage(u"/eos/out/pending/cue/text"_s, {OSCArgument::fromString(row.text)});
    EXPECT_EQ(std::tuple(model->activeCueNumber(), model->activeCueLabel()),
              std::tuple(row.number, row.label));
    EXPECT_EQ(model->activeCueProgress(), row.progress);
    EXPECT_EQ(std::tuple(model->pendingCueNumber(), model->pendingCueLabel()),
              std::tuple(row.number, row.label));
  }
}

}  // namespace
}  // namespace tarnik::testing
