// libFuzzer target over the control connection's reply assembler. The input
// is what a server sends; byte 0xFF followed by n stands for (n + 1) * 256
// bytes of 'a' (0xFF 0xFF: a line of the length limit), so that lines near
// the length limit are within reach. The stream is fed in chunks whose
// sizes come from the input itself, and the replies must be the same as
// those of a plain reading of the whole stream: chunk boundaries (a CR LF
// split in two, a multi-line reply cut anywhere) never change what comes
// out, and the bytes held stay bounded.

#include "FuzzSupport.h"

#include "engine/FtpReplyAssembler.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace {

// Enough for a few lines at the length limit; more only slows the fuzzer.
constexpr qsizetype MaxStream = 3 * FtpReplyAssembler::MaxLineLength;

QByteArray expand(const std::uint8_t *data, size_t size)
{
    QByteArray out;
    for (size_t i = 0; i < size && out.size() < MaxStream; ++i) {
        if (data[i] == 0xFF && i + 1 < size) {
            out.append(qsizetype(data[i + 1] + 1) * 256, 'a');
            ++i;
        } else {
            out.append(char(data[i]));
        }
    }
    return out;
}

struct Outcome
{
    QList<QByteArray> replies;
    bool tooLong = false;
};

// The assembler's contract, read off the whole stream at once.
Outcome reference(QByteArray stream)
{
    Outcome out;
    stream.replace('\0', QByteArray());
    bool multiLine = false;
    QByteArray code;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype end = stream.indexOf("\r\n", pos);
        if (end < 0)
            break;
        const QByteArray line = stream.mid(pos, end - pos);
        pos = end + 2;
        if (line.size() > FtpReplyAssembler::MaxLineLength) {
            out.tooLong = true;
            continue;
        }
        if (line.isEmpty())
            continue;
        if (multiLine) {
            if (line.size() < 4 || !line.startsWith(code) || line.at(3) != ' ')
                continue;
        } else if (line.size() >= 4 && line.at(3) == '-') {
            multiLine = true;
            code = line.left(3);
            continue;
        }
        multiLine = false;
        out.replies.append(line);
    }
    // What is left has no CR LF yet; a final CR may be the start of one, so
    // a line of the length limit plus that CR is not too long yet.
    if (stream.size() - pos - (stream.endsWith('\r') ? 1 : 0) > FtpReplyAssembler::MaxLineLength)
        out.tooLong = true;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArray stream = expand(data, size);
    const Outcome expected = reference(stream);

    FtpReplyAssembler assembler;
    Outcome got;
    qsizetype pos = 0;
    size_t turn = 0;
    while (pos < stream.size()) {
        // Chunk sizes taken from the input: 1..64 bytes, 1..64 KiB, or all the rest.
        const std::uint8_t pick = data[turn++ % size];
        const qsizetype chunk = pick >= 0xF0 ? stream.size() - pos : pick >= 0xC0 ? (1 + pick % 64) * 1024 : 1 + pick % 64;
        assembler.append(stream.mid(pos, chunk));
        pos += chunk;
        while (std::optional<QByteArray> reply = assembler.nextReply()) {
            FUZZ_CHECK(!reply->isEmpty());
            FUZZ_CHECK(!reply->contains("\r\n"));
            FUZZ_CHECK(!reply->contains('\0'));
            got.replies.append(*reply);
        }
        got.tooLong = assembler.takeLineTooLong() || got.tooLong;
        FUZZ_CHECK(assembler.pendingBytes() <= FtpReplyAssembler::MaxLineLength + 1);
    }
    FUZZ_CHECK(got.replies == expected.replies);
    FUZZ_CHECK(got.tooLong == expected.tooLong);

    assembler.reset();
    FUZZ_CHECK(assembler.pendingBytes() == 0 && !assembler.inMultiLine() && !assembler.nextReply());
    return 0;
}
