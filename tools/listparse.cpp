// listparse TYPE < listing
// Feeds listing lines (CR LF or LF) to the parser for server type TYPE (the
// enumeration name without "ftpst", any case) and prints one row per entry:
//   d|f <TAB> name <TAB> size <TAB> date <TAB> attributes <TAB> owner <TAB> group <TAB> link
// Rejected lines print nothing. Tab, CR, LF and backslash inside a field are
// written as \t, \r, \n and \\ so every row stays one line of eight fields.

#include "listing/ListingParser.h"

#include <QByteArray>

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

struct TTypeName {
    const char *Name;
    TMFtpServerType Type;
};

constexpr TTypeName TypeNames[] = {
    {"AutoDetect", ftpstAutoDetect}, {"Default", ftpstDefault},       {"UNIX", ftpstUNIX},
    {"BSD", ftpstBSD},               {"SunOS", ftpstSunOS},           {"Clix", ftpstClix},
    {"ULTRIX", ftpstULTRIX},         {"MVS", ftpstMVS},               {"QVT", ftpstQVT},
    {"NCSA", ftpstNCSA},             {"WFTPD", ftpstWFTPD},           {"MSFTP", ftpstMSFTP},
    {"Chameleon", ftpstChameleon},   {"VmsMultinet", ftpstVmsMultinet}, {"VmsUcx", ftpstVmsUcx},
    {"VM", ftpstVM},                 {"VMVPS", ftpstVMVPS},           {"NetTerm", ftpstNetTerm},
    {"ServU", ftpstServU},           {"WarFTPD", ftpstWarFTPD},       {"Netware", ftpstNetware},
    {"NetPresenz", ftpstNetPresenz},
};
static_assert(sizeof(TypeNames) / sizeof(TypeNames[0]) == ftpstCount);

void Usage()
{
    std::fputs("usage: listparse TYPE < listing\nTYPE is one of:", stderr);
    for (const TTypeName &t : TypeNames)
        std::fprintf(stderr, " %s", t.Name);
    std::fputs("\n(case does not matter)\n", stderr);
}

void PutField(QByteArray &Row, const QByteArray &Field)
{
    for (char c : Field) {
        switch (c) {
        case '\t': Row.append("\\t"); break;
        case '\r': Row.append("\\r"); break;
        case '\n': Row.append("\\n"); break;
        case '\\': Row.append("\\\\"); break;
        default: Row.append(c); break;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        Usage();
        return 2;
    }
    const TTypeName *chosen = nullptr;
    for (const TTypeName &t : TypeNames)
        if (strcasecmp(argv[1], t.Name) == 0)
            chosen = &t;
    if (!chosen) {
        std::fprintf(stderr, "listparse: unknown server type \"%s\"\n", argv[1]);
        Usage();
        return 2;
    }

    TListingParser parser;
    QByteArray name, size, date, link, attributes, owner, group, row;
    bool isFolder = false;
    QByteArray input;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
        input.append(buffer, qsizetype(got));

    qsizetype pos = 0;
    while (pos < input.size()) {
        qsizetype end = input.indexOf('\n', pos);
        const qsizetype next = end < 0 ? input.size() : end + 1;
        if (end < 0)
            end = input.size();
        if (end > pos && input[end - 1] == '\r')
            --end;
        const QByteArrayView line(input.constData() + pos, end - pos);
        pos = next;
        if (!parser.ParseListingLine(chosen->Type, line, name, size, date, link, attributes, owner, group, isFolder))
            continue;
        row.resize(0);
        row.append(isFolder ? "d" : "f");
        for (const QByteArray *field : {&name, &size, &date, &attributes, &owner, &group, &link}) {
            row.append('\t');
            PutField(row, *field);
        }
        row.append('\n');
        std::fwrite(row.constData(), 1, size_t(row.size()), stdout);
    }
    return std::ferror(stdout) ? 1 : 0;
}
