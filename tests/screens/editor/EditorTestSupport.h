#pragma once

// The patch editor against a real application model synced from the console double's patch
// table over TCP, with a stand-in for the fixture catalog browser.

#include "app/AppViewModel.h"
#include "screens/patch/PatchEditorView.h"
#include "screens/support/Screenshots.h"
#include "support/EosConsoleDouble.h"
#include "support/QtTestApplication.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace tarnik::testing {

using namespace Qt::StringLiterals;

// Channel 5 has two dimmer parts at 1/101 and 1/102; channel 1 sits at 1/20.
inline ConsoleShow editorShow() {
  ConsoleShow show;
  show.path = u"/shows/editor.esf"_s;
  show.name = u"Editor"_s;
  ConsolePatchPart key = ConsolePatchPart::dimmer(1, 1, 20);
  key.setText(ConsolePatchPart::label, u"Key"_s);
  show.patch = {key, ConsolePatchPart::dimmer(5, 1, 101), ConsolePatchPart::dimmer(5, 2, 102)};
  return show;
}

inline PatchFixtureChoice standInChoice(const QString &version) {
  return {.source = u"Installed ETC Eos fixture library"_s,
          .version = version,
          .id = u"stand-in"_s,
          .manufacturer = u"Acme_Lights"_s,
          .model = u"Beam"_s,
          .mode = u"16_bit"_s,
          .footprint = 16,
          .nativeTypeName = u"Acme Beam 16 bit"_s,
          .cellCount = 1};
}

class EditorTest : public ::testing::Test {
 protected:
  EditorTest() {
    console.setShow(editorShow());
    AppViewModel::Arguments arguments;
    arguments.defaults = &settings;
    model = std::make_unique<AppViewModel>(std::move(arguments));
    page.resize(560, 760);
    page.show();
  }

  bool connectAndSync() {
    model->setConsoleIP(u"127.0.0.1"_s);
    model->setConnectionTransport(OSCTransport::tcp);
    model->setTcpFraming(OSCTCPFraming::packetLength);
    model->setCustomSendPort(QString::number(console.tcpPort(OSCTCPFraming::packetLength)));
    model->connect();
    return waitUntil([&] {
      return model->isConsoleReachable() && !model->isLoadingPatch() &&
             model->dataStatusMessage() == u"Synced"_s && model->canControlFixtures();
    });
  }

  // The stand-in browser: a button that chooses one mode and one that cancels, and what it
  // was given when it was made.
  FixtureCatalogBrowserFactory standInBrowser() {
    return [this](FixtureCatalogStore &, const std::optional<QString> &reported,
                  std::function<void(const PatchFixtureChoice &)> onSelect,
                  std::function<void()> onCancel) -> QWidget * {
      ++browsersMade;
      reportedToBrowser = reported;
      auto *browser = new QWidget;
      auto *choose = new QPushButton(u"Choose"_s, browser);
      choose->setObjectName(u"standIn.choose"_s);
      QObject::connect(choose, &QPushButton::clicked, browser, [onSelect, reported] {
        onSelect(standInChoice(reported.value_or(u"4.12.6.0"_s)));
      });
      auto *cancel = new QPushButton(u"Cancel"_s, browser);
      cancel->setObjectName(u"standIn.cancel"_s);
      QObject::connect(cancel, &QPushButton::clicked, browser, onCancel);
      auto *layout = new QVBoxLayout(browser);
      layout->addWidget(choose);
      layout->addWidget(cancel);
      return browser;
    };
  }

  PatchEditorView *open(std::optional<Channel> channel = std::nullopt) {
    editor = openPatchEditor(*model, std::move(channel), &page, standInBrowser());
    editor->resize(520, 900);
    settle();
    return editor;
  }
  std::optional<Channel> channel(qint64 number) const {
    for (const Channel &channel : model->channels())
      if (channel.number == number) return channel;
    return std::nullopt;
  }

  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
  }
  template <class T = QWidget>
  T *part(const QString &name) const {
    return editor->findChild<T *>(name);
  }
  bool shown(const QString &name) const {
    QWidget *widget = part(name);
    return widget && widget->isVisibleTo(editor);
  }
  QString text(const QString &name) const { return part<QLabel>(name)->text(); }
  QString statusHeader() const { return part<QGroupBox>(u"patch.section.status"_s)->title(); }
  void click(const QString &name) const {
    QWidget *widget = part(name);
    ASSERT_TRUE(widget) << name.toStdString();
    // A switch's box sits at its left edge, not at the middle of its row.
    if (auto *box = qobject_cast<QCheckBox *>(widget))
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    else
      QTest::mouseClick(widget, Qt::LeftButton);
    settle();
  }
  void type(const QString &name, const QString &text) const {
    QWidget *widget = part(name);
    ASSERT_TRUE(widget) << name.toStdString();
    widget->setFocus();
    QTest::keyClicks(widget, text);
    settle();
  }
  void picture(const QString &name) const { saveScreenshot(*editor, u"editor-"_s + name); }
  qsizetype commandLinesSent() const { return console.requests(u"/eos/newcmd"_s).size(); }
  bool stateBecomes(PatchSubmissionState::Kind kind) const {
    return waitUntil([&] { return model->patchSubmissionState().kind == kind; });
  }

  EosConsoleDouble console;
  QTemporaryDir folder;
  SettingsStore settings{folder.filePath(u"settings.ini"_s)};
  std::unique_ptr<AppViewModel> model;
  QWidget page;
  QPointer<PatchEditorView> editor;
  int browsersMade = 0;
  std::optional<QString> reportedToBrowser;
};

}  // namespace tarnik::testing
