#pragma once

// Server families. The engine detects one at login; the listing parser picks
// the line layout by it. The last four are never detected, only set by hand.
enum TMFtpServerType {
    ftpstAutoDetect,
    ftpstDefault,
    ftpstUNIX,
    ftpstBSD,
    ftpstSunOS,
    ftpstClix,
    ftpstULTRIX,
    ftpstMVS,
    ftpstQVT,
    ftpstNCSA,
    ftpstWFTPD,
    ftpstMSFTP,
    ftpstChameleon,
    ftpstVmsMultinet,
    ftpstVmsUcx,
    ftpstVM,
    ftpstVMVPS,
    ftpstNetTerm,
    ftpstServU,
    ftpstWarFTPD,
    ftpstNetware,
    ftpstNetPresenz,
};

constexpr int ftpstCount = 22;
