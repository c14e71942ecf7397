#include "PasswordCipher.h"

#include <QByteArray>
#include <gcrypt.h>
#include <mutex>

namespace {

// The key is the MD5 digest of this phrase. Changing it makes every stored
// password in existing settings files and databases unreadable.
constexpr char PassPhrase[] = "kw1lN0te";

void initGcrypt()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
            gcry_check_version(nullptr);
            gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
            gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        }
    });
}

// Blowfish-CFB8 keyed by MD5(PassPhrase), with the encryption of eight zero
// bytes as the initial vector. Returns an empty array if libgcrypt fails.
QByteArray cfb8(const QByteArray& in, bool encrypt)
{
    initGcrypt();
    unsigned char key[16];
    gcry_md_hash_buffer(GCRY_MD_MD5, key, PassPhrase, sizeof(PassPhrase) - 1);

    unsigned char iv[8] = {};
    gcry_cipher_hd_t ecb = nullptr;
    if (gcry_cipher_open(&ecb, GCRY_CIPHER_BLOWFISH, GCRY_CIPHER_MODE_ECB, 0))
        return {};
    const bool ivOk = !gcry_cipher_setkey(ecb, key, sizeof key) &&
                      !gcry_cipher_encrypt(ecb, iv, sizeof iv, nullptr, 0);
    gcry_cipher_close(ecb);
    if (!ivOk)
        return {};

    gcry_cipher_hd_t h = nullptr;
    if (gcry_cipher_open(&h, GCRY_CIPHER_BLOWFISH, GCRY_CIPHER_MODE_CFB8, 0))
        return {};
    QByteArray out(in.size(), '\0');
    bool ok = !gcry_cipher_setkey(h, key, sizeof key) && !gcry_cipher_setiv(h, iv, sizeof iv);
    if (ok && !in.isEmpty()) {
        auto* dst = reinterpret_cast<unsigned char*>(out.data());
        const auto* src = reinterpret_cast<const unsigned char*>(in.constData());
        ok = encrypt ? !gcry_cipher_encrypt(h, dst, out.size(), src, in.size())
                     : !gcry_cipher_decrypt(h, dst, out.size(), src, in.size());
    }
    gcry_cipher_close(h);
    return ok ? out : QByteArray();
}

} // namespace

QString EncryptPassword(const QString& plain)
{
    if (plain.isEmpty())
        return QString();
    return QString::fromLatin1(cfb8(plain.toUtf8(), true).toBase64());
}

QString DecryptPassword(const QString& stored)
{
    if (stored.isEmpty())
        return QString();
    const auto decoded =
        QByteArray::fromBase64Encoding(stored.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    // Not Base64 at all: decipher the raw bytes anyway; the result is
    // meaningless and the login fails, as any wrong password does.
    const QByteArray bytes = decoded ? *decoded : stored.toLatin1();
    return QString::fromUtf8(cfb8(bytes, false));
}

QString DecodeStoredPassword(const QString& text)
{
    if (text.isEmpty())
        return QString();
    if (text.size() >= 2 && text.startsWith(u'[') && text.endsWith(u']'))
        return text.mid(1, text.size() - 2);
    return DecryptPassword(text);
}
