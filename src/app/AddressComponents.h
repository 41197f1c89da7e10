#pragma once

#include <QStringView>
#include <QVarLengthArray>

namespace tarnik {

// An OSC address split at "/" with empty pieces left out, viewing the address it came from.
using AddressComponents = QVarLengthArray<QStringView, 12>;

}  // namespace tarnik
