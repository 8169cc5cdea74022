#include "source/SecretStore.h"

#include <libsecret/secret.h>

#include <cstdlib>

namespace tembra {

namespace {

const SecretSchema* schema() {
  static const SecretSchema kSchema = {
      "org.tembra.Player.Source",
      SECRET_SCHEMA_NONE,
      {
          {"list", SECRET_SCHEMA_ATTRIBUTE_STRING},
          {"source", SECRET_SCHEMA_ATTRIBUTE_STRING},
          {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
      },
      0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  return &kSchema;
}

void drop(GError* error) {
  if (error != nullptr) g_error_free(error);
}

}  // namespace

bool SecretStore::reachable() {
  // GLib would otherwise try to start a bus of its own (X11 autolaunch).
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  return bus != nullptr && *bus != '\0';
}

bool SecretStore::store(const std::string& listPath, const std::string& sourceId, const std::string& label,
                        const std::string& password) {
  if (!reachable()) return false;
  GError* error = nullptr;
  const gboolean ok = secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(),
                                                 nullptr, &error, "list", listPath.c_str(), "source", sourceId.c_str(),
                                                 nullptr);
  drop(error);
  return ok != FALSE;
}

std::optional<std::string> SecretStore::lookup(const std::string& listPath, const std::string& sourceId) {
  if (!reachable()) return std::nullopt;
  GError* error = nullptr;
  gchar* password = secret_password_lookup_sync(schema(), nullptr, &error, "list", listPath.c_str(), "source",
                                                sourceId.c_str(), nullptr);
  drop(error);
  if (password == nullptr) return std::nullopt;
  std::string out(password);
  secret_password_free(password);
  return out;
}

void SecretStore::clear(const std::string& listPath, const std::string& sourceId) {
  if (!reachable()) return;
  GError* error = nullptr;
  secret_password_clear_sync(schema(), nullptr, &error, "list", listPath.c_str(), "source", sourceId.c_str(), nullptr);
  drop(error);
}

}  // namespace tembra
