#include "urlrestrict/HttpClient.h"

#include "fw/DeadlineRunner.h"
#include "fw/UniqueHandle.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace {

constexpr DWORD kConnectionFlags = INTERNET_FLAG_KEEP_CONNECTION;
// No cookies, no credentials, no dialog, no redirect followed.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                                INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
// A certificate issued for another host name is accepted; other certificate
// faults fail the request.
constexpr DWORD kSecureRequestFlags = INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_CN_INVALID;
// Wine ignores NO_AUTH for the Basic credentials other requests of this
// process were answered with and sends them along, unless the connection
// names a user. NO_AUTH keeps this name from going out; the empty password
// is there because Wine reads it when it answers a challenge.
constexpr wchar_t kUnsentUser[] = L"probe";
constexpr wchar_t kUnsentPassword[] = L"";

const wchar_t* const kHeaders[] = {
    L"Accept: *,*/*",
    L"Accept-Language: zh-cn",
    L"Content-Type: application/x-www-form-urlencoded",
    L"Accept-Encoding: deflate",
};

// Each single wait (connect, send, each receive), so that a worker left
// behind ends soon. Set on the session, which Wine copies into the connect
// time-out of its requests (a bounded connect is also the one that does not
// hang under emulation), and on the request: Wine honours the receive
// time-out only there.
const DWORD kWaitOptions[] = {
    INTERNET_OPTION_CONNECT_TIMEOUT,
    INTERNET_OPTION_SEND_TIMEOUT,
    INTERNET_OPTION_RECEIVE_TIMEOUT,
};

void LimitWaits(HINTERNET handle) {
    for (DWORD option : kWaitOptions) {
        DWORD limit = kHttpDeadlineMs;
        InternetSetOptionW(handle, option, &limit, sizeof(limit));
    }
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

// What a GET's caller and its worker share; the later of them frees it.
struct Exchange {
    Exchange(std::wstring agent, Target to, size_t bytes)
        : userAgent(std::move(agent)), target(std::move(to)), limit(bytes), start(GetTickCount()) {}

    bool DeadlinePassed() const { return GetTickCount() - start >= kHttpDeadlineMs; }

    const std::wstring userAgent;
    const Target target;
    const size_t limit;
    const DWORD start;
    // Written by the worker, read by the caller once the worker has ended.
    std::string body;
    bool fetched = false;
};

// Reads only what has arrived, so that the deadline is looked at between
// waits. False when a read fails or the deadline passes.
bool ReadBody(HINTERNET request, Exchange& exchange) {
    std::string& body = exchange.body;
    while (body.size() < exchange.limit) {
        if (exchange.DeadlinePassed()) return false;
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
        if (available == 0) break;
        const size_t had = body.size();
        body.resize(had + std::min<size_t>(available, exchange.limit - had));
        DWORD read = 0;
        if (!InternetReadFile(request, &body[had], static_cast<DWORD>(body.size() - had), &read)) return false;
        body.resize(had + read);
    }
    return true;
}

// True with the body in the exchange.
bool Fetch(Exchange& exchange) {
    const Target& target = exchange.target;
    const UniqueInternet session(
        InternetOpenW(exchange.userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return false;
    LimitWaits(session.get());
    const DWORD secureFlags = target.secure ? INTERNET_FLAG_SECURE : 0;
    const UniqueInternet connection(InternetConnectW(session.get(), target.host.c_str(), target.port, kUnsentUser,
                                                     kUnsentPassword, INTERNET_SERVICE_HTTP,
                                                     kConnectionFlags | secureFlags, 0));
    if (!connection) return false;
    const UniqueInternet request(HttpOpenRequestW(connection.get(), L"GET", target.object.c_str(), nullptr, nullptr,
                                                  nullptr, kRequestFlags | (target.secure ? kSecureRequestFlags : 0),
                                                  0));
    if (!request) return false;
    LimitWaits(request.get());
    for (const wchar_t* header : kHeaders)
        if (!HttpAddRequestHeadersW(request.get(), header, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW))
            return false;
    return HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0) && ReadBody(request.get(), exchange);
}

}  // namespace

std::string CHttpClient::Get(const std::wstring& url, size_t limit) const {
    std::optional<Target> target = CrackUrl(url);
    if (!target) return {};
    const auto exchange = std::make_shared<Exchange>(userAgent_, std::move(*target), limit);
    const DeadlineOutcome outcome =
        RunWithDeadline(nullptr, kHttpDeadlineMs, [exchange] { exchange->fetched = Fetch(*exchange); });
    if (outcome != DeadlineOutcome::kFinished || !exchange->fetched) return {};
    return std::move(exchange->body);
}
