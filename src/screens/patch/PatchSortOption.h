#pragma once

#include "model/Channel.h"

#include <QCollator>
#include <QList>
#include <QLocale>
#include <QString>

#include <array>

namespace tarnik {

// The five orderings the patch list offers; the list starts with `channel`, and the choice
// is not kept between runs.
enum class PatchSortOption { channel, address, universe, on, type };

// In the order the "Sort By" picker lists them.
inline constexpr std::array<PatchSortOption, 5> allPatchSortOptions{
    PatchSortOption::channel, PatchSortOption::address, PatchSortOption::universe,
    PatchSortOption::on, PatchSortOption::type};

// "Channel", "Address", "Universe", "Snapshot Level", "Type".
QString title(PatchSortOption option);

// The standard comparison of texts a person expects in a list: the locale's collation,
// case-insensitive, runs of digits by their numeric value ("2" before "10").
QCollator standardCollator(const QLocale &locale);

// Address texts by their number pieces: split at "/", empty pieces and pieces that are not
// whole numbers dropped. Equal counts compare number by number; different counts compare
// the whole texts with the collator. Mixed shapes can therefore form a cycle ("b/1/1" before
// "a/2/2" before "a/5" before "b/1/1"), so this is not an ordering std::sort may rely on.
bool addressOrderedBefore(const QString &x, const QString &y, const QCollator &collator);

// Orders positions in `channels` by the option, in place. The sort is stable, so ties keep
// the order they came in; it is std::stable_sort whatever the option, because the address
// comparison is not a strict weak ordering and std::sort may then read outside the list,
// while a stable sort stays within it for any comparison that always answers alike. The
// collator is made once per call.
void orderPatchChannels(QList<qsizetype> &positions, const QList<Channel> &channels,
                        PatchSortOption option, const QLocale &locale);

}  // namespace tarnik
