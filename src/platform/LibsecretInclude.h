#pragma once

// GLib's D-Bus headers name a struct member "signals", which Qt defines as a keyword macro.
// Every use of libsecret includes it through here, so the include order never matters.
#pragma push_macro("signals")
#undef signals
#include <libsecret/secret.h>
#pragma pop_macro("signals")
