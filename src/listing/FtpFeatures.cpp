#include "listing/FtpFeatures.h"

namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

QByteArrayView Trimmed(QByteArrayView Text)
{
    while (!Text.isEmpty() && IsBlank(Text.front()))
        Text = Text.sliced(1);
    while (!Text.isEmpty() && IsBlank(Text.back()))
        Text.chop(1);
    return Text;
}

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// "211-" or "211 " at the start of a line.
bool StartsWithCode(QByteArrayView Line, char Separator)
{
    return Line.size() >= 4 && IsDigit(Line[0]) && IsDigit(Line[1]) && IsDigit(Line[2]) && Line[3] == Separator;
}

// Splits "KEYWORD params" at its first blank.
void SplitFeature(QByteArrayView Line, QByteArray &Keyword, QByteArrayView &Params)
{
    qsizetype i = 0;
    while (i < Line.size() && !IsBlank(Line[i]))
        ++i;
    Keyword = Line.first(i).toByteArray().toUpper();
    Params = Trimmed(Line.sliced(i));
}

QList<QByteArray> SplitWords(QByteArrayView Text, QByteArrayView Separators)
{
    QList<QByteArray> words;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= Text.size(); ++i) {
        if (i == Text.size() || Separators.contains(Text[i]) || IsBlank(Text[i])) {
            const QByteArrayView word = Trimmed(Text.sliced(start, i - start));
            if (!word.isEmpty())
                words.append(word.toByteArray());
            start = i + 1;
        }
    }
    return words;
}

void AddFeature(TFtpFeatures &F, QByteArrayView Line)
{
    F.Raw.append(Line.toByteArray());
    QByteArray keyword;
    QByteArrayView params;
    SplitFeature(Line, keyword, params);

    if (keyword == "MLST") {
        F.Mlst = F.Mlsd = true;
        for (QByteArray fact : SplitWords(params, ";")) {
            const bool enabled = fact.endsWith('*');
            if (enabled)
                fact.chop(1);
            fact = fact.toLower();
            if (fact.isEmpty() || F.MlstFacts.contains(fact))
                continue;
            F.MlstFacts.append(fact);
            if (enabled)
                F.MlstFactsEnabled.append(fact);
        }
    } else if (keyword == "MLSD") {
        F.Mlsd = true;
    } else if (keyword == "UTF8") {
        F.Utf8 = true;
    } else if (keyword == "EPSV") {
        F.Epsv = true;
    } else if (keyword == "EPRT") {
        F.Eprt = true;
    } else if (keyword == "REST") {
        for (const QByteArray &word : SplitWords(params, ";,"))
            F.RestStream = F.RestStream || word.toUpper() == "STREAM";
    } else if (keyword == "SIZE") {
        F.Size = true;
    } else if (keyword == "MDTM") {
        F.Mdtm = true;
    } else if (keyword == "AUTH") {
        for (const QByteArray &word : SplitWords(params, ";,")) {
            const QByteArray mechanism = word.toUpper();
            if (!F.AuthMechanisms.contains(mechanism))
                F.AuthMechanisms.append(mechanism);
            F.AuthTls = F.AuthTls || mechanism == "TLS" || mechanism == "TLS-C";
            F.AuthSsl = F.AuthSsl || mechanism == "SSL" || mechanism == "TLS-P";
        }
    } else if (keyword == "PBSZ") {
        F.Pbsz = true;
    } else if (keyword == "PROT") {
        F.Prot = true;
    }
}

} // namespace

bool TFtpFeatures::Has(QByteArrayView Keyword) const
{
    const QByteArray wanted = Keyword.toByteArray().toUpper();
    for (const QByteArray &line : Raw) {
        QByteArray keyword;
        QByteArrayView params;
        SplitFeature(line, keyword, params);
        if (keyword == wanted)
            return true;
    }
    return false;
}

TFtpFeatures ParseFeatReply(const QList<QByteArray> &Lines)
{
    TFtpFeatures features;
    if (Lines.isEmpty())
        return features;
    const QByteArrayView first = Trimmed(Lines.first());
    if (!first.startsWith("211"))
        return features;
    features.Received = true;
    // A one-line answer ("211 No features") names nothing.
    if (Lines.size() == 1 || !StartsWithCode(first, '-'))
        return features;
    for (qsizetype i = 1; i < Lines.size(); ++i) {
        QByteArrayView line = Lines[i];
        const bool last = i == Lines.size() - 1;
        if (StartsWithCode(line, ' ') && (last || line.startsWith("211 ")))
            break; // the closing line
        // Some servers repeat the code on every line: "211-MDTM".
        if (line.startsWith("211-"))
            line = line.sliced(4);
        line = Trimmed(line);
        if (!line.isEmpty())
            AddFeature(features, line);
    }
    return features;
}

TFtpFeatures ParseFeatReply(QByteArrayView ReplyText)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < ReplyText.size(); ++i) {
        if (ReplyText[i] == '\n') {
            QByteArrayView line = ReplyText.sliced(start, i - start);
            if (line.endsWith('\r'))
                line.chop(1);
            lines.append(line.toByteArray());
            start = i + 1;
        }
    }
    if (start < ReplyText.size())
        lines.append(ReplyText.sliced(start).toByteArray());
    return ParseFeatReply(lines);
}
