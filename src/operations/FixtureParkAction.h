#pragma once

namespace tarnik {

// What the user asked of one channel's park state.
enum class FixtureParkAction { park, unpark };

}  // namespace tarnik
