#pragma once

#include <QString>

namespace tarnik {

// The name of a catalog field as error texts quote it, such as "mode {} name" with the
// record's index in place of "{}". It is only written out when an error needs it, so the
// decoders can label every read of a large catalog without building a text per field.
class CatalogLabel {
 public:
  constexpr CatalogLabel(const char *pattern, long long first = 0, long long second = 0)
      : pattern_(pattern), first_(first), second_(second) {}

  // The same label followed by " length", for the length prefix of a text field.
  constexpr CatalogLabel lengthLabel() const {
    CatalogLabel label = *this;
    label.lengthSuffix_ = true;
    return label;
  }

  QString text() const;

 private:
  const char *pattern_;
  long long first_;
  long long second_;
  bool lengthSuffix_ = false;
};

}  // namespace tarnik
