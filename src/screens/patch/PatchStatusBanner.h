#pragma once

#include "screens/patch/PatchListRules.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace tarnik {

// The line above the patch list that says why its data may not be current: a sync in
// progress, an offline console, or the model's status text. Parts are named under
// "patch.banner": ".icon", ".progress", ".text".
class PatchStatusBanner : public QWidget {
  Q_OBJECT

 public:
  explicit PatchStatusBanner(QWidget *parent = nullptr);

  void setContent(const PatchBannerContent &content);

 private:
  QLabel *icon_;
  QProgressBar *progress_;
  QLabel *text_;
};

}  // namespace tarnik
