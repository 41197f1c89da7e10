#pragma once

namespace tarnik {

// The fixture library version of the catalogs in resources/, as a console running the
// same library reports it. The catalog builder derives it from the fixture data's version
// and a test holds the shipped catalogs to it.
inline constexpr char shippedFixtureLibraryVersion[] = "4.12.6.0";

}  // namespace tarnik
