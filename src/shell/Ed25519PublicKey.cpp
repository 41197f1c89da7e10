#include "shell/Ed25519PublicKey.h"

#include <memory>
#include <openssl/evp.h>

namespace tarnik {

namespace {

constexpr qsizetype signatureLength = 64;

}  // namespace

void Ed25519PublicKey::Release::operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }

std::expected<Ed25519PublicKey, QString> Ed25519PublicKey::fromRaw(QByteArrayView bytes) {
  EVP_PKEY *key = EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                              reinterpret_cast<const unsigned char *>(bytes.data()),
                                              static_cast<size_t>(bytes.size()));
  if (!key) {
    return std::unexpected(QStringLiteral("The update signing key is not an Ed25519 public key."));
  }
  return Ed25519PublicKey(key);
}

bool Ed25519PublicKey::verifies(QByteArrayView message, QByteArrayView signature) const {
  if (signature.size() != signatureLength) {
    return false;
  }
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                        &EVP_MD_CTX_free);
  // Ed25519 hashes internally, so no digest is named and the message goes in whole.
  if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key_.get()) != 1) {
    return false;
  }
  return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char *>(signature.data()),
                          static_cast<size_t>(signature.size()),
                          reinterpret_cast<const unsigned char *>(message.data()),
                          static_cast<size_t>(message.size())) == 1;
}

}  // namespace tarnik
