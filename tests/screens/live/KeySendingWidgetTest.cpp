// Key presses reaching the console double over TCP, through the model's control gate.

#include "LiveKeysTestSupport.h"
#include "support/QtPrinting.h"

#include <QTest>

namespace tarnik::testing {
namespace {

using namespace Qt::StringLiterals;

QList<CommandHistoryEntry> sentRows(const AppViewModel &model) {
  QList<CommandHistoryEntry> rows;
  for (const CommandHistoryEntry &entry : model.commandHistory()) {
    if (entry.text.startsWith(u"Key "_s)) rows.append(entry);
  }
  return rows;
}

class KeySendingWidget : public LiveKeysTest {
 protected:
  ConsoleKeyButton *titled(const QString &title) {
    for (ConsoleKeyButton *button : keys()) {
      if (button->title() == title) return button;
    }
    return nullptr;
  }
};

TEST_F(KeySendingWidget, ClicksSendTheirKeysWithoutArgumentsAndRecordThem) {
  makeView();
  connectOverTcp();
  ASSERT_TRUE(waitUntil([&] { return model->dataStatusMessage() == u"Synced"_s; }));
  // Found by the title a person reads, to be sure of the name each face sends.
  const QList<std::pair<QString, QString>> clicks{
      {u"7"_s, u"7"_s},
      {u"Rem Dim"_s, u"remdim"_s},
      {u"."_s, u"decimal"_s},
      {u"Clear"_s, u"clear_cmd"_s},
      {u"/"_s, u"divide"_s},
      {u"Address"_s, u"softkey_1"_s},
      {u"More SK"_s, u"more_softkeys"_s},
      {u"Record\nOnly"_s, u"record_only"_s},
      {u"Part"_s, u"part"_s},
      {u"Undo"_s, u"undo"_s},
  };
  QStringList expected;
  for (const auto &[title, sent] : clicks) {
    ConsoleKeyButton *button = titled(title);
    ASSERT_TRUE(button) << title.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
    expected.append(u"/eos/key/"_s + sent);
  }
  ASSERT_TRUE(waitUntil([&] { return console.requests(expected.last()).size() == 1; }));
  QStringList arrived;
  for (const OSCMessage &request : console.requests()) {
    if (!request.address.startsWith(u"/eos/key/"_s)) continue;
    arrived.append(request.address);
    EXPECT_TRUE(request.arguments.isEmpty()) << request.address.toStdString();
  }
  EXPECT_EQ(arrived, expected);
  const QList<CommandHistoryEntry> rows = sentRows(*model);
  ASSERT_EQ(rows.size(), clicks.size());
  for (qsizetype index = 0; index < rows.size(); ++index) {
    EXPECT_EQ(rows.at(index).text, u"Key "_s + clicks.at(index).second);
    EXPECT_EQ(rows.at(index).source, u"Sent"_s);
  }
}

TEST_F(KeySendingWidget, KeysGoOutBeforeTheFirstSyncButNeverWithTheViewerFlagOrWithoutAName) {
  // The console never answers the cue count, so the first sync never completes.
  console.setHandler(u"/eos/get/cue/1/count"_s,
                     [](const OSCMessage &) { return QList<OSCMessage>{}; });
  makeView();
  connectOverTcp();
  ASSERT_FALSE(model->isShowDataCurrent());
  const qsizetype historyBefore = model->commandHistory().size();
  view->pressKey(u"8"_s, true);
  view->pressKey(std::nullopt, false);
  EXPECT_EQ(model->commandHistory().size(), historyBefore);

  QTest::mouseClick(key(u"7"_s), Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return console.requests(u"/eos/key/7"_s).size() == 1; }));
  // The stream keeps its order, so a key 8 sent before the 7 would have arrived first.
  EXPECT_TRUE(console.requests(u"/eos/key/8"_s).isEmpty());
  EXPECT_EQ(model->commandHistory().last().text, u"Key 7"_s);
  EXPECT_EQ(model->commandHistory().last().source, u"Sent"_s);
}

}  // namespace
}  // namespace tarnik::testing
