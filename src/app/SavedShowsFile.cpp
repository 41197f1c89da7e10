#include "app/SavedShowsFile.h"

#include "app/AppLogging.h"

#include <QSaveFile>

namespace tarnik {

namespace {

bool isHexDigit(char byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f') ||
         (byte >= 'A' && byte <= 'F');
}

// A text value as a settings object escapes it. The rules work on UTF-8 bytes alike: every
// byte they escape is ASCII, and the bytes of a longer character are never ASCII.
void appendEscapedValue(QByteArray &line, QByteArrayView text) {
  const qsizetype start = line.size();
  // A leading "@" marks a typed value: a text with a null character is written as one, a
  // text that starts with "@" gets a second.
  const bool typed = text.contains('\0');
  if (typed) {
    line += "@String(";
  } else if (text.startsWith('@')) {
    line += '@';
  }
  bool needsQuotes = false;
  bool escapeNextIfHexDigit = false;  // after a numeric escape, which a digit would extend
  for (const char byte : text) {
    if (byte == ';' || byte == ',' || byte == '=') needsQuotes = true;
    if (escapeNextIfHexDigit && isHexDigit(byte)) {
      line += "\\x" + QByteArray::number(byte, 16);
      continue;
    }
    escapeNextIfHexDigit = false;
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
        if (byte >= 0 && byte <= 0x1F) {
          line += "\\x" + QByteArray::number(byte, 16);
          escapeNextIfHexDigit = true;
        } else {
          line += byte;
        }
    }
  }
  if (typed) line += ')';
  if (needsQuotes || (line.size() > start && (line.at(start) == ' ' || line.back() == ' '))) {
    line.insert(start, '"');
    line += '"';
  }
}

}  // namespace

QByteArray savedShowsFileContent(const QString &key, QByteArrayView text) {
  // The key is letters only, which a settings object writes as they are.
  QByteArray content;
  content.reserve(text.size() + text.size() / 8 + 64);
  content += "[General]\n" + key.toLatin1() + '=';
  appendEscapedValue(content, text);
  content += '\n';
  return content;
}

bool writeFileWhole(const QString &fileName, const QByteArray &content) {
  QSaveFile file(fileName);
  // Unbuffered: a buffered write that stops short at the commit's flush goes unreported.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    qCWarning(tarnikApp).noquote() << "could not write to" << fileName << ":" << file.errorString();
    return false;
  }
  // One write(2) may write part of the bytes and the next fail on a full disk, which the
  // file reports as a short count, not as an error: a short count leaves the old file.
  if (file.write(content) != content.size()) {
    qCWarning(tarnikApp).noquote() << "could not write" << content.size() << "bytes to" << fileName
                                   << ":" << file.errorString();
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    qCWarning(tarnikApp).noquote() << "could not write to" << fileName << ":" << file.errorString();
    return false;
  }
  return true;
}

}  // namespace tarnik
