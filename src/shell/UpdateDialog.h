#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace tarnik {

// The one window of a check: what is happening, and the buttons that fit it. It only
// shows; AppcastUpdater decides what comes next. Closing it in any way ends the check.
class UpdateDialog : public QDialog {
  Q_OBJECT

 public:
  explicit UpdateDialog(QWidget *parent = nullptr);

  void showChecking();
  void showUpToDate(const QString &currentVersion);
  void showAvailable(const QString &version, const QString &currentVersion);
  void showDownloading(const QString &version);
  void showVerifying();
  void showSaved(const QString &path);
  void showFailure(const QString &text);

 signals:
  void downloadRequested();

 private:
  enum class Buttons { cancel, downloadOrLater, done };
  void present(const QString &text, Buttons buttons);

  QLabel *message_;
  QPushButton *cancel_;
  QPushButton *download_;
  QPushButton *later_;
  QPushButton *done_;
};

}  // namespace tarnik
