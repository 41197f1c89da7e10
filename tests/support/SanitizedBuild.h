#pragma once

namespace tarnik::testing {

// AddressSanitizer slows every allocation and keeps freed blocks resident in quarantine:
// under it, a bound on processor time or resident memory measures the sanitizer, not the
// code, so tests keep such bounds for the ordinary builds.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool underAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool underAddressSanitizer = true;
#else
inline constexpr bool underAddressSanitizer = false;
#endif
#else
inline constexpr bool underAddressSanitizer = false;
#endif

}  // namespace tarnik::testing
