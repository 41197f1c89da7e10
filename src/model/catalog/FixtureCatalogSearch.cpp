#include "foundation/TextRules.h"
#include "model/catalog/CatalogText.h"
#include "model/catalog/FixtureCatalogDatabase.h"

#include <algorithm>
#include <cstring>

namespace tarnik {
namespace {

// Code-point order after canonical composition. Text made only of characters below the
// combining marks is already composed and free of surrogates, so comparing its UTF-16
// units gives the same order without normalising anything.
int compareCodePoints(const QString &lhs, const QString &rhs) {
  const auto simple = [](const QString &text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x300; });
  };
  if (simple(lhs) && simple(rhs)) return QString::compare(lhs, rhs, Qt::CaseSensitive);
  return compareByCodePoint(lhs, rhs);
}

// The same for texts kept as UTF-8: ASCII bytes compare as their code points.
int compareCodePoints(QByteArrayView lhs, QByteArrayView rhs) {
  const auto ascii = [](QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
  };
  if (ascii(lhs) && ascii(rhs)) return lhs.compare(rhs, Qt::CaseSensitive);
  return compareCodePoints(QString::fromUtf8(lhs), QString::fromUtf8(rhs));
}

// Plain substring test on folded UTF-8, which finds a token only where it starts a
// character. Runs for every mode of a search, so the first byte is found with memchr.
bool containsToken(QByteArrayView text, QByteArrayView token) {
  if (token.size() > text.size()) return false;
  const char *at = text.data();
  const char *const last = text.data() + (text.size() - token.size());
  while (at <= last) {
    at = static_cast<const char *>(std::memchr(at, token[0], std::size_t(last - at + 1)));
    if (!at) return false;
    if (std::memcmp(at + 1, token.data() + 1, std::size_t(token.size() - 1)) == 0) return true;
    ++at;
  }
  return false;
}

bool equalBytes(QByteArrayView a, QByteArrayView b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), std::size_t(a.size())) == 0;
}

bool containsEveryToken(const QList<QByteArray> &tokens, QByteArrayView first,
                        QByteArrayView second) {
  return std::all_of(tokens.begin(), tokens.end(), [&](const QByteArray &token) {
    return containsToken(first, token) || containsToken(second, token);
  });
}

}  // namespace

std::optional<FixtureCatalogMode> FixtureCatalogDatabase::mode(QStringView id) const {
  // Identities are kept as numbers, so the case of the given text does not matter.
  const std::optional<CatalogIdentity> identity = CatalogIdentity::fromText(id);
  if (!identity) return std::nullopt;
  const auto found = modeIndexByID_.constFind(*identity);
  if (found == modeIndexByID_.constEnd()) return std::nullopt;
  return mode(found.value());
}

bool FixtureCatalogDatabase::precedesInResults(int rankA, int modeA, int rankB, int modeB) const {
  if (rankA != rankB) return rankA < rankB;
  const ModeRecord &a = modes_[modeA];
  const ModeRecord &b = modes_[modeB];
  const int manufacturerA = models_[a.modelIndex].manufacturerIndex;
  const int manufacturerB = models_[b.modelIndex].manufacturerIndex;
  if (manufacturerA != manufacturerB) {
    if (const int order = compareCodePoints(manufacturerNames_[manufacturerA],
                                            manufacturerNames_[manufacturerB])) {
      return order < 0;
    }
  }
  if (a.modelIndex != b.modelIndex) {
    if (const int order = compareCodePoints(models_[a.modelIndex].name, models_[b.modelIndex].name))
      return order < 0;
  }
  if (const int order = compareCodePoints(textBytes(a.mode), textBytes(b.mode))) return order < 0;
  return a.id < b.id;  // byte order, which is the order of the upper-case texts
}

QList<FixtureCatalogMode> FixtureCatalogDatabase::searchModes(QStringView query, int limit) const {
  limit = std::clamp(limit, 1, 500);
  const QList<QByteArray> tokens = searchTokens(query);
  QList<FixtureCatalogMode> result;
  if (tokens.isEmpty()) {
    const int count = std::min<int>(limit, modes_.size());
    result.reserve(count);
    for (int position = 0; position < count; ++position) result.append(mode(position));
    return result;
  }
  const QByteArray q = tokens.join(' ');

  struct Match {
    int rank;
    int mode;
  };
  QList<Match> matches;
  matches.reserve(4 * qsizetype(limit));
  // Modes come grouped by model, so each token is looked up in a model's text once and
  // only the tokens missing there are looked for in each of its modes.
  QList<QByteArrayView> missingFromModel;
  missingFromModel.reserve(tokens.size());
  for (int model = 0; model < models_.size(); ++model) {
    const Range modes = modelModeRanges_[model];
    if (modes.size() == 0) continue;
    const QByteArrayView modelText = modelSearchText_[model];
    missingFromModel.clear();
    for (const QByteArray &token : tokens) {
      if (!containsToken(modelText, token)) missingFromModel.append(token);
    }
    const QByteArrayView modelName = modelText.last(foldedModelNameSizes_[model]);
    const bool manufacturerEqualsQuery =
        equalBytes(manufacturerSearchText_[models_[model].manufacturerIndex], q);
    for (int position = modes.begin; position < modes.end; ++position) {
      const QByteArrayView modeText = modeSearchText_[position];
      if (!std::all_of(missingFromModel.begin(), missingFromModel.end(),
                       [&](QByteArrayView token) { return containsToken(modeText, token); })) {
        continue;
      }
      const QByteArrayView modeName = modeText.first(foldedModeTextSizes_[position]);
      int rank = 4;
      if (equalBytes(modeName, q) || equalBytes(modelName, q)) {
        rank = 0;
      } else if (modelName.startsWith(q) || modeName.startsWith(q)) {
        rank = 1;
      } else if (manufacturerEqualsQuery) {
        rank = 2;
      } else if (modelText.startsWith(q) || modeText.startsWith(q)) {
        rank = 3;
      }
      matches.append({rank, position});
    }
  }

  const auto kept = matches.begin() + std::min<qsizetype>(limit, matches.size());
  std::partial_sort(matches.begin(), kept, matches.end(), [this](const Match &a, const Match &b) {
    return precedesInResults(a.rank, a.mode, b.rank, b.mode);
  });
  result.reserve(kept - matches.begin());
  for (auto match = matches.begin(); match != kept; ++match) result.append(mode(match->mode));
  return result;
}

QList<FixtureCatalogModel> FixtureCatalogDatabase::modelsOfManufacturer(int manufacturer,
                                                                        QStringView query) const {
  QList<FixtureCatalogModel> result;
  if (manufacturer < 0 || manufacturer >= manufacturers_.size()) return result;
  const QList<QByteArray> tokens = searchTokens(query);
  const Range models = manufacturerModelRanges_[manufacturer];
  for (int position = models.begin; position < models.end; ++position) {
    const QByteArrayView text = modelSearchText_[position];
    if (!std::all_of(tokens.begin(), tokens.end(),
                     [&](const QByteArray &token) { return containsToken(text, token); })) {
      continue;
    }
    result.append(FixtureCatalogModel{
        .id = position,
        .manufacturerID = manufacturer,
        .manufacturer = manufacturerNames_[manufacturer],
        .name = models_[position].name,
        .modeCount = modelModeRanges_[position].size(),
    });
  }
  return result;
}

QList<FixtureCatalogMode> FixtureCatalogDatabase::modesOfModel(int model, QStringView query,
                                                               int limit) const {
  QList<FixtureCatalogMode> result;
  if (model < 0 || model >= models_.size()) return result;
  limit = std::clamp(limit, 1, 2000);
  const QList<QByteArray> tokens = searchTokens(query);
  const Range modes = modelModeRanges_[model];
  for (int position = modes.begin; position < modes.end && result.size() < limit; ++position) {
    if (containsEveryToken(tokens, modelSearchText_[model], modeSearchText_[position])) {
      result.append(mode(position));
    }
  }
  return result;
}

}  // namespace tarnik
