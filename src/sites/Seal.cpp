#include "sites/Seal.h"

#include "platform/MachineId.h"
#include "platform/TextCodec.h"

#include <QCryptographicHash>

#include <openssl/evp.h>

#include <memory>

namespace sites {
namespace {

constexpr int LengthBytes = 4;

QByteArray keyBlock(const QByteArray &key)
{
    QByteArray k = key.left(SealKeyBytes);
    k.append(SealKeyBytes - k.size(), '\0');
    return k;
}

bool aesEcb(bool encrypt, const QByteArray &key, const QByteArray &in, QByteArray *out)
{
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    if (!ctx)
        return false;
    const auto *k = reinterpret_cast<const unsigned char *>(key.constData());
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_128_ecb(), nullptr, k, nullptr, encrypt ? 1 : 0) != 1)
        return false;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    out->resize(in.size() + SealBlockBytes);
    int written = 0;
    int tail = 0;
    auto *o = reinterpret_cast<unsigned char *>(out->data());
    if (EVP_CipherUpdate(ctx.get(), o, &written, reinterpret_cast<const unsigned char *>(in.constData()),
                         int(in.size())) != 1
        || EVP_CipherFinal_ex(ctx.get(), o + written, &tail) != 1)
        return false;
    out->resize(written + tail);
    return true;
}

bool hexDigit(char c, int *v)
{
    if (c >= '0' && c <= '9')
        *v = c - '0';
    else if (c >= 'A' && c <= 'F')
        *v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        *v = c - 'a' + 10;
    else
        return false;
    return true;
}

// Pairs of digits; a single last digit counts alone.
bool fromHex(const QByteArray &hex, QByteArray *bytes)
{
    bytes->clear();
    bytes->reserve(hex.size() / 2 + 1);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        int hi = 0;
        int lo = 0;
        if (!hexDigit(hex[i], &hi))
            return false;
        if (i + 1 == hex.size()) {
            bytes->append(char(hi));
            break;
        }
        if (!hexDigit(hex[i + 1], &lo))
            return false;
        bytes->append(char(hi * 16 + lo));
    }
    return true;
}

bool readableText(const QByteArray &bytes)
{
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return false;
    }
    return !platform::fromGbk(bytes).contains(QChar::ReplacementCharacter);
}

QString derivedKey(const char *purpose, int length)
{
    const QByteArray digest = QCryptographicHash::hash(QByteArray(purpose) + '\n' + platform::machineIdentity(),
                                                       QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().toUpper().left(length));
}

} // namespace

QByteArray SealBytes(const QByteArray &plain, const QByteArray &key)
{
    const quint32 length = quint32(plain.size());
    QByteArray blocks = plain;
    if (const qsizetype rest = blocks.size() % SealBlockBytes)
        blocks.append(SealBlockBytes - rest, '\0');
    QByteArray cipher;
    if (!aesEcb(true, keyBlock(key), blocks, &cipher))
        return {};
    QByteArray out(LengthBytes, '\0');
    for (int i = 0; i < LengthBytes; ++i)
        out[i] = char((length >> (8 * i)) & 0xFF);
    return (out + cipher).toHex().toUpper();
}

bool UnsealBytes(const QByteArray &sealedHex, const QByteArray &key, QByteArray *plain, QString *error)
{
    auto fail = [error](const char *text) {
        if (error)
            *error = QString::fromLatin1(text);
        return false;
    };
    QByteArray bytes;
    if (!fromHex(sealedHex, &bytes))
        return fail("Invalid hexadecimal text");
    if (bytes.size() < LengthBytes)
        return fail("Invalid buffer size for decryption");
    quint32 length = 0;
    for (int i = 0; i < LengthBytes; ++i)
        length |= quint32(static_cast<unsigned char>(bytes[i])) << (8 * i);
    const QByteArray cipher = bytes.mid(LengthBytes);
    if (cipher.isEmpty() || cipher.size() % SealBlockBytes != 0)
        return fail("Invalid buffer size for decryption");
    if (length > quint32(cipher.size()))
        return fail("Invalid length of sealed text");
    QByteArray clear;
    if (!aesEcb(false, keyBlock(key), cipher, &clear))
        return fail("Decryption failed");
    const QByteArray text = clear.left(length);
    const QByteArray filling = clear.mid(length);
    if (filling.count('\0') != filling.size())
        return fail("Sealed text does not open with this key");
    *plain = text;
    return true;
}

QString SealString(const QString &text, const QString &key)
{
    return QString::fromLatin1(SealBytes(platform::toGbk(text), platform::toGbk(key)));
}

bool UnsealString(const QString &sealed, const QString &key, QString *text, QString *error)
{
    QByteArray plain;
    if (!UnsealBytes(sealed.toLatin1(), platform::toGbk(key), &plain, error))
        return false;
    if (!readableText(plain)) {
        if (error)
            *error = QStringLiteral("Sealed text does not open with this key");
        return false;
    }
    *text = platform::fromGbk(plain);
    return true;
}

QString UnsealOrEmpty(const QString &sealed, const QString &key)
{
    QString text;
    if (sealed.isEmpty() || !UnsealString(sealed, key, &text))
        return {};
    return text;
}

QString SiteBookKey()
{
    return derivedKey("BramblewayFTP site book", 14);
}

QString HistoryKey()
{
    return derivedKey("BramblewayFTP connect history", 16);
}

} // namespace sites
