#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <variant>

namespace tarnik {

// One OSC argument. The variant's alternatives follow the order of the cases: int, float,
// string, bool, blob; the type tags are "i", "f", "s", "T"/"F" and "b".
struct OSCArgument {
  std::variant<qint32, float, QString, bool, QByteArray> value;

  static OSCArgument fromInt(qint32 value);
  static OSCArgument fromFloat(float value);
  static OSCArgument fromString(QString value);
  static OSCArgument fromBool(bool value);
  static OSCArgument fromBlob(QByteArray value);

  // Same case and equal payload: floats compare numerically (NaN equals nothing, +0 equals
  // -0), texts by canonical equivalence, blobs byte for byte. An int never equals a float.
  friend bool operator==(const OSCArgument &lhs, const OSCArgument &rhs);
};

}  // namespace tarnik

// Holds nothing that points into itself, so lists may move it with memmove.
Q_DECLARE_TYPEINFO(tarnik::OSCArgument, Q_RELOCATABLE_TYPE);
