#include "settings_key.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstring>
#include <map>
#include <mutex>

namespace store {

namespace {

// SQLCipher 3's key derivation: PBKDF2-HMAC-SHA1, 64,000 rounds, a 256-bit key.
constexpr int kKdfIterations = 64000;
constexpr int kKeyBytes = 32;

QByteArray deriveRawKey(const QByteArray& salt)
{
    unsigned char key[kKeyBytes];
    const int ok = PKCS5_PBKDF2_HMAC_SHA1(kDatabasePassword, int(std::strlen(kDatabasePassword)),
                                          reinterpret_cast<const unsigned char*>(salt.constData()),
                                          int(salt.size()), kKdfIterations, kKeyBytes, key);
    if (ok != 1)
        return {};
    QByteArray text =
        "x'" + QByteArray(reinterpret_cast<const char*>(key), kKeyBytes).toHex() + "'";
    OPENSSL_cleanse(key, sizeof key);
    return text;
}

} // namespace

QByteArray rawKeyForSalt(const QByteArray& salt)
{
    // A memo of a pure function of the salt: whether it holds an entry or not, every open
    // behaves the same, only faster.
    static std::mutex mutex;
    static std::map<QByteArray, QByteArray> keys;

    const std::lock_guard lock(mutex);
    auto found = keys.find(salt);
    if (found != keys.end())
        return found->second;
    QByteArray key = deriveRawKey(salt);
    if (!key.isEmpty())
        keys.emplace(salt, key);
    return key;
}

} // namespace store
