#pragma once

#include <cstdint>
#include <set>
#include <string>

// Days since 1899-12-30, fraction = time of day (0 means "no date").
using TDateTime = double;

enum TCacheOption {
    coAlwaysReload,
    coReloadIfNoExpireInformation,
    coReloadUpdatedObjects,
    coPragmaNoCache,
    coNoCacheWrite,
    coCreateTempFilesIfCantCache,
    coUseCacheIfNetFail,
};
using TCacheOptions = std::set<TCacheOption>;

enum TInternetOption {
    ioIgnoreCertificateInvalid,
    ioIgnoreCertificateDateInvalid,
    ioIgnoreUnknownCertificateAuthority,
    ioIgnoreRedirectToHTTP,
    ioIgnoreRedirectToHTTPS,
    ioKeepConnection,
    ioNoAuthentication,
    ioNoAutoRedirect,
    ioNoCookies,
};
using TInternetOptions = std::set<TInternetOption>;

enum TWinHTTPFileAttribute { atrArchive, atrHidden, atrReadOnly, atrSystem, atrTemporary, atrOffline };
using TWinHTTPFileAttributes = std::set<TWinHTTPFileAttribute>;

enum TWinHTTPAccessType { atPreconfig, atDirect, atUseProxy };
enum TWinHTTPRequestMethod { rmAutoDetect, rmGET, rmPOST };

// Assigning a default-constructed value resets any of these records to its defaults.
struct TWinHTTPProxy {
    TWinHTTPAccessType AccessType = atPreconfig;
    int ProxyPort = 8080;
    std::string ProxyServer;
    std::string ProxyBypass = "127.0.0.1;";
    std::string ProxyUsername;
    std::string ProxyPassword;
};

struct TWinHTTPRange {
    std::uint32_t StartRange = 0;
    std::uint32_t EndRange = 0;
};

// Milliseconds; 0 leaves the client's default (a connect limit of minutes, no quiet limit).
// Receive and send limits are the longest quiet interval while receiving or sending.
struct TWinHTTPTimeouts {
    std::uint32_t ConnectTimeout = 0;
    std::uint32_t ReceiveTimeout = 0;
    std::uint32_t SendTimeout = 0;
};

// Kept for completeness: this platform's files have no such attributes, so none is applied.
struct TWinHTTPOutputFileAttributes {
    TWinHTTPFileAttributes Complete{atrArchive};
    TWinHTTPFileAttributes Incomplete{atrArchive, atrTemporary};
};
