// libFuzzer target over the reader of a server's answer to FEAT. The input
// is the reply as sent; the record must be the same whether the reply is
// read as text or as lines, and hold together: MLST brings MLSD, facts
// given now are among the facts offered, every line kept is trimmed.

#include "FuzzSupport.h"

#include "listing/FtpFeatures.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace {

bool sameRecord(const TFtpFeatures &a, const TFtpFeatures &b)
{
    return a.Received == b.Received && a.Mlst == b.Mlst && a.Mlsd == b.Mlsd && a.MlstFacts == b.MlstFacts
        && a.MlstFactsEnabled == b.MlstFactsEnabled && a.Utf8 == b.Utf8 && a.Epsv == b.Epsv && a.Eprt == b.Eprt
        && a.RestStream == b.RestStream && a.Size == b.Size && a.Mdtm == b.Mdtm && a.AuthTls == b.AuthTls
        && a.AuthSsl == b.AuthSsl && a.Pbsz == b.Pbsz && a.Prot == b.Prot && a.AuthMechanisms == b.AuthMechanisms
        && a.Raw == b.Raw;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    const TFtpFeatures features = ParseFeatReply(text);

    // Lines ended by LF or CR LF; an unended last line is taken as it stands.
    QList<QByteArray> lines = QByteArray(text.data(), text.size()).split('\n');
    const QByteArray unended = lines.takeLast();
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    if (!unended.isEmpty())
        lines.append(unended);
    FUZZ_CHECK(sameRecord(features, ParseFeatReply(lines)));

    if (!features.Received)
        FUZZ_CHECK(sameRecord(features, TFtpFeatures()));
    FUZZ_CHECK(!features.Mlst || features.Mlsd);
    for (const QByteArray &fact : features.MlstFactsEnabled)
        FUZZ_CHECK(features.MlstFacts.contains(fact));
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    for (const QByteArray &line : features.Raw) {
        FUZZ_CHECK(!line.isEmpty() && !blank(line.front()) && !blank(line.back()));
        FUZZ_CHECK(!line.contains('\n'));
    }
    return 0;
}
