#pragma once
// What a server offers, read from its answer to FEAT: a 211 reply with one
// feature per line between its first and its last line,
//   211-Features:
//    MLST type*;size*;modify*;unix.mode;
//    REST STREAM
//    UTF8
//   211 End
// Feature names compare without regard to case; blanks and tabs around them
// do not matter. The engine reads FEAT once after login and decides from
// this record whether to use MLSD, UTF8, EPSV, EPRT, REST STREAM and SIZE.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

struct TFtpFeatures {
    bool Received = false; // a 211 answer was read (possibly naming nothing)

    bool Mlst = false; // MLST, which brings MLSD with it
    bool Mlsd = false; // MLSD: with MLST, or named on its own
    // Facts MLST/MLSD can give, in lower case ("type", "size", "modify",
    // "unix.mode", ...), and those given now (marked "*" by the server).
    QList<QByteArray> MlstFacts;
    QList<QByteArray> MlstFactsEnabled;

    bool Utf8 = false;
    bool Epsv = false;
    bool Eprt = false;
    bool RestStream = false;
    bool Size = false;
    bool Mdtm = false;
    bool AuthTls = false; // AUTH naming TLS (or TLS-C)
    bool AuthSsl = false; // AUTH naming SSL (or TLS-P)
    bool Pbsz = false;
    bool Prot = false;
    // The mechanisms AUTH names, upper case: "TLS", "SSL", ...
    QList<QByteArray> AuthMechanisms;

    // Every feature line, trimmed, in the order sent.
    QList<QByteArray> Raw;

    // Whether a feature line's first word is Keyword (case ignored).
    bool Has(QByteArrayView Keyword) const;
};

// Lines: the reply's lines without their line ends. A reply whose code is
// not 211 (FEAT refused or unknown) gives an empty record with Received
// false.
TFtpFeatures ParseFeatReply(const QList<QByteArray> &Lines);
// The same from the reply as received, its lines ended by CR LF or LF.
TFtpFeatures ParseFeatReply(QByteArrayView ReplyText);
