#pragma once
// The error numbers and event bits of the socket interface the engine was
// written against. POSIX errno values and host-lookup failures are mapped to
// these numbers so every error table above this layer speaks one language.

namespace platform {

// Window-message numbering: the engine's own messages count up from here.
constexpr int WM_USER = 1024;

enum WinSockError : int {
    WSAEINTR = 10004,
    WSAEBADF = 10009,
    WSAEACCES = 10013,
    WSAEFAULT = 10014,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEALREADY = 10037,
    WSAENOTSOCK = 10038,
    WSAEDESTADDRREQ = 10039,
    WSAEMSGSIZE = 10040,
    WSAEPROTOTYPE = 10041,
    WSAENOPROTOOPT = 10042,
    WSAEPROTONOSUPPORT = 10043,
    WSAEOPNOTSUPP = 10045,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAENETRESET = 10052,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAEHOSTDOWN = 10064,
    WSAEHOSTUNREACH = 10065,
    WSAHOST_NOT_FOUND = 11001,
    WSATRY_AGAIN = 11002,
    WSANO_RECOVERY = 11003,
    WSANO_DATA = 11004,
};

// Socket events, as bits of a selection mask.
enum SocketEvent : int {
    SocketRead = 1,
    SocketWrite = 2,
    SocketAccept = 8,
    SocketConnect = 16,
    SocketClose = 32,
};

// errno values without a socket counterpart come out as this base plus the
// errno, a range no table above knows, so they read as "unexpected error".
constexpr int UnmappedErrnoBase = 20000;

// errno -> socket error number; 0 stays 0.
int winSockErrorFromErrno(int err);

} // namespace platform
