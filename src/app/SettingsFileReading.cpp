#include "app/SettingsFileText.h"

#include <QDataStream>
#include <QIODevice>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

// Reads the INI form the way Qt's settings object reads it, so that a file it wrote, or an
// earlier version of the program wrote through it, or a person edited, gives the values it
// would give. The program reads its file itself because the settings object keeps what it
// read of a file by the file's size and time: a file another copy replaced with one of the
// same size within the same tick of the clock is not read again.

namespace tarnik {

namespace {

bool isLineSpace(char byte) { return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r'; }

bool isLineSpecial(char byte) {
  return byte == '\n' || byte == '\r' || byte == '"' || byte == ';' || byte == '=' || byte == '\\';
}

// One logical line of the file: blanks and comment lines before it skipped, its end at a line
// break or a ";" outside quotes; a backslash carries the character after it, a line break
// included, and a line break inside quotes does not end the line.
struct IniLine {
  qsizetype start = 0;
  qsizetype length = 0;
  qsizetype equals = -1;  // the first "=" outside quotes, from the data's start
};

std::optional<IniLine> nextIniLine(QByteArrayView data, qsizetype &position) {
  IniLine line;
  line.start = position;
  while (line.start < data.size() && isLineSpace(data[line.start])) ++line.start;
  bool inQuotes = false;
  qsizetype index = line.start;
  while (index < data.size()) {
    const char byte = data[index];
    ++index;
    if (!isLineSpecial(byte)) continue;
    if (byte == '=') {
      if (!inQuotes && line.equals < 0) line.equals = index - 1;
    } else if (byte == '\n' || byte == '\r') {
      if (index == line.start + 1) {
        ++line.start;
      } else if (!inQuotes) {
        --index;
        break;
      }
    } else if (byte == '\\') {
      if (index < data.size()) {
        const char escaped = data[index++];
        if (index < data.size()) {
          const char after = data[index];
          if ((escaped == '\n' && after == '\r') || (escaped == '\r' && after == '\n')) ++index;
        }
      }
    } else if (byte == '"') {
      inQuotes = !inQuotes;
    } else if (index == line.start + 1) {  // a ";" that starts a line: a comment
      while (index < data.size() && data[index] != '\n' && data[index] != '\r') ++index;
      while (index < data.size() && isLineSpace(data[index])) ++index;
      line.start = index;
    } else if (!inQuotes) {  // a ";" after the line's text ends it
      --index;
      break;
    }
  }
  position = index;
  line.length = index - line.start;
  if (line.length <= 0) return std::nullopt;
  return line;
}

int hexValue(char16_t unit) {
  if (unit >= u'0' && unit <= u'9') return unit - u'0';
  if (unit >= u'a' && unit <= u'f') return unit - u'a' + 10;
  if (unit >= u'A' && unit <= u'F') return unit - u'A' + 10;
  return -1;
}

// A key or section name: a backslash stands for "/", "%XX" and "%UXXXX" for a character,
// their digits read as a settings object reads them (blanks around them allowed).
QString unescapedKey(QByteArrayView escaped) {
  const QString decoded = QString::fromUtf8(escaped);
  QString key;
  key.reserve(decoded.size());
  for (qsizetype index = 0; index < decoded.size();) {
    const QChar character = decoded.at(index);
    if (character == u'\\') {
      key += u'/';
      ++index;
      continue;
    }
    if (character == u'%' && index + 1 < decoded.size()) {
      const bool wide = decoded.at(index + 1) == u'U';
      const qsizetype digitsStart = index + (wide ? 2 : 1);
      const qsizetype digits = wide ? 4 : 2;
      bool ok = false;
      const ushort unit = digitsStart + digits <= decoded.size()
                              ? QStringView(decoded).sliced(digitsStart, digits).toUShort(&ok, 16)
                              : 0;
      if (ok) {
        key += QChar(unit);
        index = digitsStart + digits;
        continue;
      }
    }
    key += character;
    ++index;
  }
  return key;
}

void chopTrailingBlanks(QString &text, qsizetype limit) {
  while (text.size() > limit && (text.back() == u' ' || text.back() == u'\t')) text.chop(1);
}

// A value's text, or its items when a "," outside quotes makes it a list: quotes keep blanks
// and separators, escapes give the character they stand for, and blanks around an item that
// is not quoted go.
struct UnescapedValue {
  QString text;
  std::optional<QStringList> items;
};

UnescapedValue unescapedValue(QByteArrayView value) {
  UnescapedValue result;
  QStringDecoder fromUtf8(QStringDecoder::Utf8);
  bool inQuotes = false;
  bool quoted = false;    // the current item
  bool cutShort = false;  // by an escape at the very end: blanks before it stay
  qsizetype index = 0;
  const auto skipBlanks = [&] {
    while (index < value.size() && (value[index] == ' ' || value[index] == '\t')) ++index;
  };
  // Escapes, closing quotes and items end a stretch whose trailing blanks may go.
  qsizetype chopLimit = 0;
  const auto appendUnit = [&](char16_t unit) {
    result.text += QChar(unit);
    chopLimit = result.text.size();
  };
  // Digits after "\x" or "\0".."\7", as many as follow, in a 16-bit unit.
  const auto appendNumber = [&](int base, char16_t number) {
    for (; index < value.size(); ++index) {
      const int digit = hexValue(char16_t(uchar(value[index])));
      if (digit < 0 || digit >= base) break;
      number = char16_t(number * base + digit);
    }
    appendUnit(number);
  };
  skipBlanks();
  while (index < value.size()) {
    const char byte = value[index];
    if (byte == '\\') {
      if (++index >= value.size()) {
        cutShort = true;
        break;
      }
      const char escaped = value[index++];
      static constexpr std::pair<char, char16_t> simple[] = {
          {'a', u'\a'}, {'b', u'\b'}, {'f', u'\f'}, {'n', u'\n'},  {'r', u'\r'}, {'t', u'\t'},
          {'v', u'\v'}, {'"', u'"'},  {'?', u'?'},  {'\'', u'\''}, {'\\', u'\\'}};
      if (const auto *found = std::ranges::find(simple, escaped, &std::pair<char, char16_t>::first);
          found != std::end(simple)) {
        appendUnit(found->second);
      } else if (escaped == 'x') {
        if (index >= value.size()) {
          cutShort = true;
          break;
        }
        if (hexValue(char16_t(uchar(value[index]))) >= 0) {
          appendNumber(16, 0);
        } else {
          chopLimit = result.text.size();
        }
      } else if (escaped >= '0' && escaped <= '7') {
        appendNumber(8, char16_t(escaped - '0'));
      } else {
        // A line break after a backslash continues the value; any other character goes.
        if ((escaped == '\n' || escaped == '\r') && index < value.size() &&
            (value[index] == '\n' || value[index] == '\r') && value[index] != escaped) {
          ++index;
        }
        chopLimit = result.text.size();
      }
    } else if (byte == '"') {
      ++index;
      quoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) {
        skipBlanks();
        chopLimit = result.text.size();
      }
    } else if (byte == ',' && !inQuotes) {
      if (!quoted) chopTrailingBlanks(result.text, chopLimit);
      if (!result.items) result.items.emplace();
      result.items->append(std::exchange(result.text, QString()));
      quoted = false;
      ++index;
      skipBlanks();
      chopLimit = 0;
    } else {
      qsizetype end = index + 1;
      while (end < value.size() && value[end] != '\\' && value[end] != '"' && value[end] != ',') {
        ++end;
      }
      result.text += fromUtf8(value.sliced(index, end - index));
      index = end;
    }
  }
  if (!quoted && !cutShort) chopTrailingBlanks(result.text, chopLimit);
  if (result.items) result.items->append(std::move(result.text));
  return result;
}

// The numbers of "@Rect(1 2 3 4)" and its kind: each blank ends one, and so does each ")".
QList<int> typedArguments(QStringView text, qsizetype open) {
  QList<int> arguments;
  QString argument;
  for (const QChar character : text.sliced(open + 1)) {
    if (character == u')') {
      arguments.append(argument.toInt());
    } else if (character == u' ') {
      arguments.append(std::exchange(argument, QString()).toInt());
    } else {
      argument += character;
    }
  }
  return arguments;
}

QVariant serialisedValue(QStringView text, QDataStream::Version version) {
  QByteArray bytes = text.toLatin1();
  QDataStream stream(&bytes, QIODevice::ReadOnly);
  stream.setVersion(version);
  QVariant value;
  stream >> value;
  return value;
}

// A text's value: "@" starts a typed value, "@@" a text that starts with "@".
QVariant typedValue(const QString &text) {
  if (!text.startsWith(u'@')) return text;
  if (text.endsWith(u')')) {
    if (text.startsWith("@ByteArray("_L1))
      return QStringView(text).sliced(11).chopped(1).toLatin1();
    if (text.startsWith("@String("_L1)) return text.sliced(8).chopped(1);
    if (text.startsWith("@Variant("_L1)) {
      return serialisedValue(QStringView(text).sliced(9).chopped(1), QDataStream::Qt_4_0);
    }
    if (text.startsWith("@DateTime("_L1)) {
      return serialisedValue(QStringView(text).sliced(10).chopped(1), QDataStream::Qt_5_6);
    }
    if (text.startsWith("@Rect("_L1)) {
      if (const QList<int> numbers = typedArguments(text, 5); numbers.size() == 4) {
        return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
      }
    } else if (text.startsWith("@Size("_L1)) {
      if (const QList<int> numbers = typedArguments(text, 5); numbers.size() == 2) {
        return QSize(numbers[0], numbers[1]);
      }
    } else if (text.startsWith("@Point("_L1)) {
      if (const QList<int> numbers = typedArguments(text, 6); numbers.size() == 2) {
        return QPoint(numbers[0], numbers[1]);
      }
    } else if (text == "@Invalid()"_L1) {
      return {};
    }
  }
  if (text.startsWith("@@"_L1)) return text.sliced(1);
  return text;
}

// A list stays a list of texts unless an item is a typed value: then each item is read as
// one, "@@" included.
QVariant listValue(const QStringList &items) {
  QStringList texts = items;
  for (QString &text : texts) {
    if (!text.startsWith(u'@')) continue;
    if (!text.startsWith("@@"_L1)) {
      QVariantList values;
      values.reserve(items.size());
      for (const QString &item : items) values.append(typedValue(item));
      return values;
    }
    text.remove(0, 1);
  }
  return texts;
}

}  // namespace

SettingsValues settingsFromFileContent(QByteArrayView content) {
  // A byte order mark is passed over where sections are found, but the keys before the first
  // section are read with it, as a settings object reads them: it goes with the first key.
  const qsizetype bom = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
  // Each section's stretches of the file, a section named twice read as one; the sections
  // are read in the order of their names, as a settings object reads them.
  QMap<QString, QList<QByteArrayView>> sections;
  QString section;
  qsizetype sectionStart = 0;
  qsizetype position = bom;
  const auto endSection = [&](qsizetype end) {
    sections[section].append(content.sliced(sectionStart, end - sectionStart));
  };
  while (const std::optional<IniLine> line = nextIniLine(content, position)) {
    const QByteArrayView text = content.sliced(line->start, line->length);
    if (!text.startsWith('[')) continue;
    endSection(line->start);
    const qsizetype close = text.indexOf(']');
    const QByteArrayView name = text.first(close < 0 ? text.size() : close).sliced(1).trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0) {
      section.clear();
    } else if (name.compare("%general", Qt::CaseInsensitive) == 0) {
      section = QString::fromLatin1(name.sliced(1)) + u'/';
    } else {
      section = unescapedKey(name) + u'/';
    }
    sectionStart = position;
  }
  endSection(content.size());

  SettingsValues values;
  for (auto stretches = sections.cbegin(); stretches != sections.cend(); ++stretches) {
    for (const QByteArrayView stretch : *stretches) {
      qsizetype linePosition = 0;
      while (const std::optional<IniLine> line = nextIniLine(stretch, linePosition)) {
        // A line without "=" outside quotes holds no value.
        if (line->equals < 0) continue;
        const QString key =
            stretches.key() +
            unescapedKey(stretch.sliced(line->start, line->equals - line->start).trimmed());
        const UnescapedValue value = unescapedValue(
            stretch.sliced(line->equals + 1, line->start + line->length - line->equals - 1));
        values.insert(key, value.items ? listValue(*value.items) : typedValue(value.text));
      }
    }
  }
  return values;
}

QString normalizedSettingsKey(QStringView key) {
  QString normalized;
  normalized.reserve(key.size());
  for (const QStringView part : key.split(u'/', Qt::SkipEmptyParts)) {
    if (!normalized.isEmpty()) normalized += u'/';
    normalized += part;
  }
  return normalized;
}

}  // namespace tarnik
