#include "listing/FtpFeatures.h"

#include <gtest/gtest.h>

namespace {

// The switches of a record as one text, so a table can say them at a glance.
std::string Switches(const TFtpFeatures &F)
{
    std::string s;
    const std::pair<const char *, bool> flags[] = {
        {"received", F.Received}, {"mlst", F.Mlst}, {"mlsd", F.Mlsd},       {"utf8", F.Utf8},
        {"epsv", F.Epsv},         {"eprt", F.Eprt}, {"rest", F.RestStream}, {"size", F.Size},
        {"mdtm", F.Mdtm},         {"tls", F.AuthTls}, {"ssl", F.AuthSsl},   {"pbsz", F.Pbsz},
        {"prot", F.Prot}};
    for (const auto &[name, on] : flags) {
        if (!on)
            continue;
        if (!s.empty())
            s += ' ';
        s += name;
    }
    return s;
}

struct FeatCase
{
    const char *name;
    const char *reply;
    const char *switches;
    const char *facts;        // MlstFacts joined by ";"
    const char *factsEnabled; // MlstFactsEnabled joined by ";"
    int rawCount;
};

void PrintTo(const FeatCase &c, std::ostream *os) { *os << c.name; }

class FeatReply : public ::testing::TestWithParam<FeatCase>
{
};

TEST_P(FeatReply, Parse)
{
    const FeatCase c = GetParam();
    const TFtpFeatures f = ParseFeatReply(QByteArrayView(c.reply));
    EXPECT_EQ(Switches(f), c.switches);
    EXPECT_EQ(f.MlstFacts.join(';').toStdString(), c.facts);
    EXPECT_EQ(f.MlstFactsEnabled.join(';').toStdString(), c.factsEnabled);
    EXPECT_EQ(f.Raw.size(), c.rawCount);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, FeatReply,
    ::testing::Values(
        FeatCase{"PyftpdlibWithTls",
                 "211-Features supported:\r\n AUTH SSL\r\n AUTH TLS\r\n EPRT\r\n EPSV\r\n MDTM\r\n MFMT\r\n"
                 " MLST type*;perm*;size*;modify*;unique*;unix.mode;unix.uid;unix.gid;\r\n PBSZ\r\n PROT\r\n"
                 " REST STREAM\r\n SIZE\r\n TVFS\r\n UTF8\r\n211 End FEAT.\r\n",
                 "received mlst mlsd utf8 epsv eprt rest size mdtm tls ssl pbsz prot",
                 "type;perm;size;modify;unique;unix.mode;unix.uid;unix.gid", "type;perm;size;modify;unique", 13},
        FeatCase{"PlainServerWithoutMachineListings",
                 "211-Features:\r\n EPRT\r\n EPSV\r\n MDTM\r\n PASV\r\n REST STREAM\r\n SIZE\r\n TVFS\r\n211 End\r\n",
                 "received epsv eprt rest size mdtm", "", "", 7},
        FeatCase{"OddSpacingAndCase",
                 "211-Extensions:\n\tmlst  Type*;Size*;MODIFY;\n  utf8  \n rest   stream\n\n Auth tls;ssl\n211 end\n",
                 "received mlst mlsd utf8 rest tls ssl", "type;size;modify", "type;size", 4},
        FeatCase{"CodeOnEveryLine", "211-Features\r\n211-MDTM\r\n211-SIZE\r\n211-MLSD\r\n211 End\r\n",
                 "received mlsd size mdtm", "", "", 3},
        FeatCase{"AuthWithManyMechanisms", "211-x\r\n AUTH TLS;TLS-C;SSL;TLS-P;\r\n PBSZ\r\n PROT C;P;\r\n211 x\r\n",
                 "received tls ssl pbsz prot", "", "", 3},
        FeatCase{"RestWithoutStream", "211-x\r\n REST\r\n211 x\r\n", "received", "", "", 1},
        FeatCase{"NoFeatures", "211 No extensions supported\r\n", "received", "", "", 0},
        FeatCase{"Refused", "500 'FEAT': command not understood.\r\n", "", "", "", 0},
        FeatCase{"Empty", "", "", "", "", 0},
        FeatCase{"NoClosingLine", "211-Features:\r\n UTF8\r\n SIZE", "received utf8 size", "", "", 2}),
    [](const ::testing::TestParamInfo<FeatCase> &row) { return std::string(row.param.name); });

TEST(FeatReplyLines, LinesAndKeywordLookUp)
{
    const TFtpFeatures f =
        ParseFeatReply(QList<QByteArray>{"211-Features:", " MFMT", " TVFS", " LANG EN*;ZH", "211 End"});
    EXPECT_TRUE(f.Received);
    EXPECT_EQ(f.Raw, (QList<QByteArray>{"MFMT", "TVFS", "LANG EN*;ZH"}));
    EXPECT_TRUE(f.Has("mfmt"));
    EXPECT_TRUE(f.Has("LANG"));
    EXPECT_FALSE(f.Has("LAN"));
    EXPECT_FALSE(f.Has("MLSD"));
}

} // namespace
