#include "app/SettingsFileText.h"

#include <QDataStream>
#include <QIODevice>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace tarnik {

namespace {

bool isHexDigit(char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f') ||
         (byte >= 'A' && byte <= 'F');
}

// How a value's bytes stand in the file: a text's as UTF-8, a byte array's and a serialised
// value's as they are, with every byte beyond ASCII escaped.
enum class ValueBytes { text, raw };

// A value's text as a settings object escapes it, quoted where its reader would otherwise
// split or trim it. The rules work on UTF-8 bytes alike: every byte they escape is ASCII,
// and the bytes of a longer character are never ASCII.
void appendEscaped(QByteArray &line, QByteArrayView prefix, QByteArrayView bytes,
                   QByteArrayView suffix, ValueBytes kind) {
  const qsizetype start = line.size();
  bool needsQuotes = false;
  bool escapeNextIfHexDigit = false;  // after a numeric escape, which a digit would extend
  for (const QByteArrayView part : {prefix, bytes, suffix}) {
    for (const char byte : part) {
      if (byte == ';' || byte == ',' || byte == '=') needsQuotes = true;
      if (escapeNextIfHexDigit && isHexDigit(byte)) {
        line += "\\x" + QByteArray::number(byte, 16);
        continue;
      }
      escapeNextIfHexDigit = false;
      const auto unit = static_cast<unsigned char>(byte);
      switch (byte) {
        case '\0':
          line += "\\0";
          escapeNextIfHexDigit = true;
          break;
        case '\a':
          line += "\\a";
          break;
        case '\b':
          line += "\\b";
          break;
        case '\f':
          line += "\\f";
          break;
        case '\n':
          line += "\\n";
          break;
        case '\r':
          line += "\\r";
          break;
        case '\t':
          line += "\\t";
          break;
        case '\v':
          line += "\\v";
          break;
        case '"':
        case '\\':
          line += '\\';
          line += byte;
          break;
        default:
          if (unit <= 0x1F || (unit >= 0x7F && kind == ValueBytes::raw)) {
            line += "\\x" + QByteArray::number(unit, 16);
            escapeNextIfHexDigit = true;
          } else {
            line += byte;
          }
      }
    }
  }
  if (needsQuotes || (line.size() > start && (line.at(start) == ' ' || line.back() == ' '))) {
    line.insert(start, '"');
    line += '"';
  }
}

// A text (UTF-8): a leading "@" marks a typed value, so a text with a null character is
// written as one and a text that starts with "@" gets a second.
void appendText(QByteArray &line, QByteArrayView text) {
  if (text.contains('\0')) {
    appendEscaped(line, "@String(", text, ")", ValueBytes::text);
  } else {
    appendEscaped(line, text.startsWith('@') ? "@" : "", text, "", ValueBytes::text);
  }
}

void appendSingleValue(QByteArray &line, const QVariant &value) {
  switch (value.metaType().id()) {
    case QMetaType::UnknownType:
      line += "@Invalid()";
      return;
    case QMetaType::QByteArray:
      appendEscaped(line, "@ByteArray(", value.toByteArray(), ")", ValueBytes::raw);
      return;
    case QMetaType::QString:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Bool:
    case QMetaType::Float:
    case QMetaType::Double:
      appendText(line, value.toString().toUtf8());
      return;
    // Geometry is written as numbers, as a settings object writes it.
    case QMetaType::QRect: {
      const QRect rect = value.toRect();
      appendEscaped(
          line, "",
          QString::asprintf("@Rect(%d %d %d %d)", rect.x(), rect.y(), rect.width(), rect.height())
              .toUtf8(),
          "", ValueBytes::text);
      return;
    }
    case QMetaType::QSize: {
      const QSize size = value.toSize();
      appendEscaped(line, "",
                    QString::asprintf("@Size(%d %d)", size.width(), size.height()).toUtf8(), "",
                    ValueBytes::text);
      return;
    }
    case QMetaType::QPoint: {
      const QPoint point = value.toPoint();
      appendEscaped(line, "", QString::asprintf("@Point(%d %d)", point.x(), point.y()).toUtf8(), "",
                    ValueBytes::text);
      return;
    }
    default: {
      // A date and time keeps its offset from UTC in the stream of a later version.
      const bool isDateTime = value.metaType().id() == QMetaType::QDateTime;
      QByteArray serialised;
      QDataStream stream(&serialised, QIODevice::WriteOnly);
      stream.setVersion(isDateTime ? QDataStream::Qt_5_6 : QDataStream::Qt_4_0);
      stream << value;
      appendEscaped(line, isDateTime ? "@DateTime(" : "@Variant(", serialised, ")",
                    ValueBytes::raw);
    }
  }
}

void appendValue(QByteArray &line, const QVariant &value) {
  // A list of texts is written as one whatever its length; any other list of one value goes
  // whole, serialised, as a settings object writes them.
  const bool isList =
      value.metaType().id() == QMetaType::QStringList ||
      (value.metaType().id() == QMetaType::QVariantList && value.toList().size() != 1);
  if (!isList) return appendSingleValue(line, value);
  const QVariantList items = value.toList();
  // An empty list reads back as no value, which is what it gives as a list.
  if (items.isEmpty()) line += "@Invalid()";
  for (qsizetype index = 0; index < items.size(); ++index) {
    if (index > 0) line += ", ";
    appendSingleValue(line, items.at(index));
  }
}

void appendEscapedKey(QByteArray &line, QStringView key) {
  static constexpr char hexDigits[] = "0123456789ABCDEF";
  for (const QChar character : key) {
    const char16_t unit = character.unicode();
    if (unit == u'/') {
      line += '\\';
    } else if ((unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
               (unit >= u'0' && unit <= u'9') || unit == u'_' || unit == u'-' || unit == u'.') {
      line += char(unit);
    } else if (unit <= 0xFF) {
      line += '%';
      line += hexDigits[unit / 16];
      line += hexDigits[unit % 16];
    } else {
      line += "%U";
      for (int shift = 12; shift >= 0; shift -= 4) line += hexDigits[(unit >> shift) & 0xF];
    }
  }
}

QByteArray sectionLine(const QString &section) {
  QByteArray name;
  appendEscapedKey(name, section);
  // A group named "General" must not be read as the keys outside any group.
  if (name.isEmpty()) return "[General]\n";
  if (name.compare("general", Qt::CaseInsensitive) == 0) return "[%General]\n";
  return '[' + name + "]\n";
}

}  // namespace

QByteArray settingsFileContent(const SettingsValues &values) {
  // Grouped by the part of the key before its first "/"; the keys outside any group first.
  QMap<QString, SettingsValues> sections;
  for (auto entry = values.cbegin(); entry != values.cend(); ++entry) {
    const qsizetype slash = entry.key().indexOf(u'/');
    const QString section = slash < 0 ? QString() : entry.key().first(slash);
    sections[section].insert(slash < 0 ? entry.key() : entry.key().sliced(slash + 1),
                             entry.value());
  }
  QByteArray content;
  for (auto section = sections.cbegin(); section != sections.cend(); ++section) {
    if (!content.isEmpty()) content += '\n';
    content += sectionLine(section.key());
    for (auto entry = section->cbegin(); entry != section->cend(); ++entry) {
      appendEscapedKey(content, entry.key());
      content += '=';
      appendValue(content, entry.value());
      content += '\n';
    }
  }
  return content;
}

QByteArray savedShowsFileContent(const QString &key, QByteArrayView text) {
  QByteArray content;
  content.reserve(text.size() + text.size() / 8 + 64);
  content += sectionLine(QString());
  appendEscapedKey(content, key);
  content += '=';
  appendText(content, text);
  content += '\n';
  return content;
}

}  // namespace tarnik
