#include "screens/live/KeyFaceLook.h"

#include <QCoreApplication>

namespace tarnik {

using namespace Qt::StringLiterals;

namespace {

constexpr double disabledFillOpacity = 0.25;
constexpr double disabledTitleOpacity = 0.4;

}  // namespace

KeyFaceLook eosKeyFaceLook(KeypadColor color, bool isDisabled) {
  return {color, isDisabled ? disabledFillOpacity : 1, isDisabled ? disabledTitleOpacity : 0.9};
}

KeyFaceLook softKeyFaceLook(bool isSelected, bool isDisabled) {
  return {isSelected ? KeypadColor::selectedSoftKeyFace : KeypadColor::softKeyFace,
          isDisabled ? disabledFillOpacity : 1, isDisabled ? disabledTitleOpacity : 0.86};
}

QString keyAccessibleName(const QString &title) {
  QString name = title;
  return name.replace(u'\n', u' ');
}

QString keyAccessibleHint(bool viewer) {
  return viewer ? QCoreApplication::translate("ConsoleKey", "Unavailable in Viewer mode")
                : QCoreApplication::translate("ConsoleKey", "Sends this key to the console");
}

QString softKeyBadgeText(int number) {
  // The format is the translators' to change; the number always goes in as plain digits.
  QString format = QCoreApplication::translate("ConsoleKey", "%lld");
  return format.replace(u"%lld"_s, QString::number(number));
}

}  // namespace tarnik
