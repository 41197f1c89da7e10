#pragma once

#include "screens/live/ConsoleKeyButton.h"

#include <QList>
#include <QWidget>

namespace tarnik {

// The frame the Live screen's key panels share: their keys padded by 5 points on a rounded
// ground of panelBackground. It owns the panel's keys, made once, and hands each refresh
// of the screen's mode to all of them.
class KeyPanelFrame : public QWidget {
  Q_OBJECT

 public:
  const QList<ConsoleKeyButton *> &keys() const { return keys_; }
  void refresh(bool viewer);

 protected:
  explicit KeyPanelFrame(QWidget *parent);
  void addKey(ConsoleKeyButton *key);
  void paintEvent(QPaintEvent *event) override;

 private:
  QList<ConsoleKeyButton *> keys_;
};

// A panel whose keys fill equal columns, row after row; every row is one face high.
class KeyGridPanel : public KeyPanelFrame {
  Q_OBJECT

 public:
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  KeyGridPanel(int columns, double spacing, double rowHeight, QWidget *parent);
  // Call once every key is added: the panel's height follows from its rows.
  void fixHeight();
  void resizeEvent(QResizeEvent *event) override;

 private:
  int rowCount() const;

  const int columns_;
  const double spacing_;
  const double rowHeight_;
};

}  // namespace tarnik
