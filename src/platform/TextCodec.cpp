#include "platform/TextCodec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

// iconv descriptors are not thread-safe; one per direction, guarded.
class Converter
{
public:
    Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }

    // Converts whole input; an unconvertible or invalid sequence is replaced by
    // `replacement` (already in the target encoding) and skipped `skip` bytes.
    QByteArray run(const QByteArray &in, const QByteArray &replacement, int skip, int *replaced = nullptr)
    {
        QByteArray out;
        if (cd_ == reinterpret_cast<iconv_t>(-1) || in.isEmpty())
            return out;
        std::lock_guard<std::mutex> lock(mutex_);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 4 + 16);
        char *src = const_cast<char *>(in.constData());
        size_t srcLeft = size_t(in.size());
        char *dst = out.data();
        size_t dstLeft = size_t(out.size());
        while (srcLeft > 0) {
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            if (r != size_t(-1))
                break;
            if (errno == E2BIG) {
                const qsizetype used = dst - out.data();
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dstLeft = size_t(out.size() - used);
                continue;
            }
            // EILSEQ or EINVAL (truncated sequence at the end): replace and go on.
            if (replaced)
                ++*replaced;
            if (dstLeft < size_t(replacement.size())) {
                const qsizetype used = dst - out.data();
                out.resize(out.size() * 2 + replacement.size());
                dst = out.data() + used;
                dstLeft = size_t(out.size() - used);
            }
            memcpy(dst, replacement.constData(), size_t(replacement.size()));
            dst += replacement.size();
            dstLeft -= size_t(replacement.size());
            const size_t step = std::min(srcLeft, size_t(skip));
            src += step;
            srcLeft -= step;
        }
        out.resize(dst - out.data());
        return out;
    }

private:
    iconv_t cd_;
    std::mutex mutex_;
};

Converter &gbkToUtf8()
{
    static Converter c("UTF-8", "GBK");
    return c;
}

Converter &utf8ToGbk()
{
    static Converter c("GBK", "UTF-8");
    return c;
}

bool isAscii(const QByteArray &bytes)
{
    for (char ch : bytes)
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    return true;
}

} // namespace

QString fromGbk(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    return QString::fromUtf8(gbkToUtf8().run(bytes, QByteArray("\xEF\xBF\xBD"), 1));
}

QByteArray toGbk(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (isAscii(utf8))
        return utf8;
    int replaced = 0;
    QByteArray whole = utf8ToGbk().run(utf8, QByteArray("?"), 1, &replaced);
    if (replaced == 0)
        return whole;
    // Some character has no GBK form: go character by character so that one
    // such character becomes exactly one '?'.
    QByteArray out;
    out.reserve(utf8.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray piece = text.mid(i, len).toUtf8();
        int bad = 0;
        const QByteArray g = isAscii(piece) ? piece : utf8ToGbk().run(piece, QByteArray(), int(piece.size()), &bad);
        out += (bad || g.isEmpty()) ? QByteArray("?") : g;
        i += len;
    }
    return out;
}

bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        int extra;
        unsigned minValue;
        unsigned value;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1; minValue = 0x80; value = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2; minValue = 0x800; value = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3; minValue = 0x10000; value = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (p[i + k] & 0x3F);
        }
        if (value < minValue || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString decodeRemoteName(const QByteArray &bytes)
{
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    return fromGbk(bytes);
}

} // namespace platform
