#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <expected>
#include <memory>

typedef struct evp_pkey_st EVP_PKEY;

namespace tarnik {

// An Ed25519 public key held by libcrypto. Verifying only reads the key, so one key may be
// used from any thread.
class Ed25519PublicKey {
 public:
  static std::expected<Ed25519PublicKey, QString> fromRaw(QByteArrayView bytes);

  // True only for a 64-byte signature that this key made over exactly these bytes.
  bool verifies(QByteArrayView message, QByteArrayView signature) const;

 private:
  struct Release {
    void operator()(EVP_PKEY *key) const;
  };
  explicit Ed25519PublicKey(EVP_PKEY *key) : key_(key, Release{}) {}

  std::shared_ptr<EVP_PKEY> key_;
};

}  // namespace tarnik
