#include "urlrestrict/HttpClient.h"

#include "fw/Text.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr DWORD kContext = 1;
constexpr DWORD kConnectionFlags = INTERNET_FLAG_KEEP_CONNECTION;
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
// A certificate issued for another host name is accepted; other certificate
// faults fail the request.
constexpr DWORD kSecureRequestFlags = INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_CN_INVALID;

const wchar_t* const kHeaders[] = {
    L"Accept: *,*/*",
    L"Accept-Language: zh-cn",
    L"Content-Type: application/x-www-form-urlencoded",
    L"Accept-Encoding: deflate",
};

// Each network wait of a request (connect, send, each receive). Set on the
// session, which Wine copies into the connect time-out of its requests (a
// bounded connect is also the one that does not hang under emulation), and
// on the request: Wine honours the receive time-out only there, and a
// server that accepts and never answers would otherwise hold the sweep for
// minutes.
constexpr DWORD kWaitLimitMs = 5000;
const DWORD kWaitOptions[] = {
    INTERNET_OPTION_CONNECT_TIMEOUT,
    INTERNET_OPTION_SEND_TIMEOUT,
    INTERNET_OPTION_RECEIVE_TIMEOUT,
};

void LimitWaits(HINTERNET handle) {
    for (DWORD option : kWaitOptions) {
        DWORD limit = kWaitLimitMs;
        InternetSetOptionW(handle, option, &limit, sizeof(limit));
    }
}

constexpr DWORD kPieceBytes = 4096;
// A server sending without end stops being read here (4 MiB).
constexpr size_t kBodyLimitBytes = 4u << 20;

// Reads the body piece by piece until the end or the size limit. A piece is
// kept up to its first NUL byte.
DWORD ReadBody(HINTERNET request, std::string& raw) {
    char piece[kPieceBytes];
    for (size_t total = 0; total < kBodyLimitBytes;) {
        DWORD read = 0;
        if (!InternetReadFile(request, piece, kPieceBytes, &read)) return GetLastError();
        if (read == 0) break;
        raw.append(piece, std::find(piece, piece + read, '\0'));
        total += read;
    }
    return ERROR_SUCCESS;
}

struct Target {
    bool secure;
    std::wstring host;
    INTERNET_PORT port;
    std::wstring object;  // path and query
};

// Only http and https addresses make a target.
std::optional<Target> CrackUrl(const std::wstring& url) {
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    // Non-zero lengths with null pointers: the parts point into `url`.
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
    const auto text = [](const wchar_t* start, DWORD length) {
        return start ? std::wstring(start, length) : std::wstring();
    };
    std::wstring object = text(parts.lpszUrlPath, parts.dwUrlPathLength) +
                          text(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty()) object = L"/";
    return Target{parts.nScheme == INTERNET_SCHEME_HTTPS, text(parts.lpszHostName, parts.dwHostNameLength), parts.nPort, object};
}

// A WinINet error code, or ERROR_SUCCESS with the raw body in `raw`.
DWORD Exchange(HINTERNET session, const wchar_t* verb, const Target& target, const char* body, std::string& raw) {
    const DWORD secureFlags = target.secure ? INTERNET_FLAG_SECURE : 0;
    const UniqueInternet connection(InternetConnectW(session, target.host.c_str(), target.port, nullptr, nullptr,
                                                     INTERNET_SERVICE_HTTP, kConnectionFlags | secureFlags,
                                                     kContext));
    if (!connection) return GetLastError();
    const UniqueInternet request(HttpOpenRequestW(connection.get(), verb, target.object.c_str(), nullptr, nullptr,
                                                  nullptr, kRequestFlags | (target.secure ? kSecureRequestFlags : 0),
                                                  kContext));
    if (!request) return GetLastError();
    LimitWaits(request.get());
    for (const wchar_t* header : kHeaders)
        if (!HttpAddRequestHeadersW(request.get(), header, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW))
            return GetLastError();
    const DWORD bodyBytes = body ? static_cast<DWORD>(std::strlen(body)) : 0;
    if (!HttpSendRequestW(request.get(), nullptr, 0, const_cast<char*>(body), bodyBytes)) return GetLastError();
    return ReadBody(request.get(), raw);
}

}  // namespace

CHttpClient::CHttpClient(const wchar_t* userAgent)
    : m_session(InternetOpenW(userAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
    LimitWaits(m_session.get());
}

CHttpClient::~CHttpClient() = default;

int CHttpClient::Request(const wchar_t* verb, const std::wstring& url, const char* body, std::string& response) {
    response.clear();
    const std::optional<Target> target = CrackUrl(url);
    if (!target) return kFailed;
    std::string raw;
    const DWORD error = Exchange(m_session.get(), verb, *target, body, raw);
    if (error != ERROR_SUCCESS) return error == ERROR_INTERNET_TIMEOUT ? kTimeout : kFailed;
    response = ToAnsi(FromUtf8(raw));
    return kDone;
}

