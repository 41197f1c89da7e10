#include "support/TestKeyring.h"

#include "platform/LibsecretInclude.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace tarnik::testing {

namespace {

constexpr auto serviceName = "org.freedesktop.secrets";
constexpr auto servicePath = "/org/freedesktop/secrets";

// Calls one method on the Secret Service; false, with the reason in the test's log, when it
// fails. reply may be null.
bool call(const char *interface, const char *method, GVariant *arguments, const char *replyType,
          GVariant **reply) {
  GError *error = nullptr;
  GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  GVariant *result = nullptr;
  if (bus != nullptr) {
    result = g_dbus_connection_call_sync(bus, serviceName, servicePath, interface, method,
                                         arguments, replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                         G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    g_object_unref(bus);
  } else if (arguments != nullptr) {
    g_variant_unref(g_variant_ref_sink(arguments));
  }
  if (error != nullptr) {
    ADD_FAILURE() << method << ": " << error->message;
    g_error_free(error);
    return false;
  }
  if (reply != nullptr) {
    *reply = result;
  } else {
    g_variant_unref(result);
  }
  return true;
}

}  // namespace

bool lockTestKeyring() {
  GVariant *reply = nullptr;
  if (!call("org.freedesktop.DBus.Properties", "Get",
            g_variant_new("(ss)", "org.freedesktop.Secret.Service", "Collections"), "(v)",
            &reply)) {
    return false;
  }
  GVariant *collections = nullptr;
  g_variant_get(reply, "(v)", &collections);
  g_variant_unref(reply);
  // Lock answers with a prompt path when it would need one; GNOME Keyring never does.
  return call("org.freedesktop.Secret.Service", "Lock", g_variant_new("(@ao)", collections),
              "(aoo)", nullptr);
}

bool unlockTestKeyring() {
  const QByteArray password = qgetenv("TARNIK_TEST_KEYRING_PASSWORD");
  if (password.isEmpty()) {
    ADD_FAILURE() << "TARNIK_TEST_KEYRING_PASSWORD is not set: run inside with-keyring.sh";
    return false;
  }
  // A "plain" session hands the password over as it is; it never leaves the private bus.
  GVariant *reply = nullptr;
  if (!call("org.freedesktop.Secret.Service", "OpenSession",
            g_variant_new("(sv)", "plain", g_variant_new_string("")), "(vo)", &reply)) {
    return false;
  }
  GVariant *output = nullptr;
  const char *session = nullptr;
  g_variant_get(reply, "(v&o)", &output, &session);
  GVariant *secret =
      g_variant_new("(o@ay@ays)", session, g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, "", 0, 1),
                    g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, password.constData(),
                                              static_cast<gsize>(password.size()), 1),
                    "text/plain");
  const bool unlocked =
      call("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface", "UnlockWithMasterPassword",
           g_variant_new("(o@(oayays))", "/org/freedesktop/secrets/collection/login", secret),
           nullptr, nullptr);
  g_variant_unref(output);
  g_variant_unref(reply);
  return unlocked;
}

int testKeyringItemCount(const QHash<QString, QString> &attributes) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE("a{ss}"));
  for (auto attribute = attributes.cbegin(); attribute != attributes.cend(); ++attribute) {
    g_variant_builder_add(&builder, "{ss}", attribute.key().toUtf8().constData(),
                          attribute.value().toUtf8().constData());
  }
  GVariant *reply = nullptr;
  if (!call("org.freedesktop.Secret.Service", "SearchItems", g_variant_new("(a{ss})", &builder),
            "(aoao)", &reply)) {
    return -1;
  }
  GVariant *unlocked = nullptr;
  GVariant *locked = nullptr;
  g_variant_get(reply, "(@ao@ao)", &unlocked, &locked);
  const int count = int(g_variant_n_children(unlocked) + g_variant_n_children(locked));
  g_variant_unref(unlocked);
  g_variant_unref(locked);
  g_variant_unref(reply);
  return count;
}

}  // namespace tarnik::testing
