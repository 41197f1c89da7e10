#pragma once

#include "link/OSCMessage.h"
#include "link/OSCTCPFramer.h"

#include <QByteArray>
#include <QList>

#include <ostream>

namespace tarnik {

// Readable failure output for codec values.
inline void PrintTo(const OSCArgument &argument, std::ostream *out) {
  std::visit(
      [out](const auto &value) {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, qint32>) *out << "int " << value;
        if constexpr (std::is_same_v<Value, float>) *out << "float " << value;
        if constexpr (std::is_same_v<Value, QString>)
          *out << "string \"" << value.toStdString() << '"';
        if constexpr (std::is_same_v<Value, bool>) *out << "bool " << (value ? "true" : "false");
        if constexpr (std::is_same_v<Value, QByteArray>)
          *out << "blob " << value.toHex().toStdString();
      },
      argument.value);
}

inline void PrintTo(const OSCMessage &message, std::ostream *out) {
  *out << message.address.toStdString() << " [";
  for (const OSCArgument &argument : message.arguments) {
    PrintTo(argument, out);
    *out << "; ";
  }
  *out << ']';
}

inline void PrintTo(const OSCTCPFramerError &error, std::ostream *out) {
  *out << error.text().toStdString();
}

}  // namespace tarnik

QT_BEGIN_NAMESPACE
inline void PrintTo(const QByteArray &bytes, std::ostream *out) {
  *out << bytes.size() << " bytes " << bytes.left(64).toHex(' ').toStdString();
}
QT_END_NAMESPACE

namespace tarnik::osctest {

inline QByteArray hex(const char *digits) { return QByteArray::fromHex(digits); }

inline OSCMessage message(QString address, QList<OSCArgument> arguments = {}) {
  return {std::move(address), std::move(arguments)};
}

inline QByteArray bigEndian(quint32 value) {
  const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
  return QByteArray(bytes, 4);
}

// A bundle with a zero time tag unless one is given, holding the elements with their sizes.
inline QByteArray bundle(const QList<QByteArray> &elements,
                         QByteArray timeTag = QByteArray(8, '\0')) {
  QByteArray bytes = QByteArray("#bundle", 8) + timeTag;
  for (const QByteArray &element : elements) bytes += bigEndian(quint32(element.size())) + element;
  return bytes;
}

}  // namespace tarnik::osctest
