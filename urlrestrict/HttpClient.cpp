#include "urlrestrict/HttpClient.h"

// The WinINet client comes with the browser readers; until then no text is
// probed successfully.
CHttpClient::CHttpClient(const wchar_t*) {}

CHttpClient::~CHttpClient() = default;

int CHttpClient::Request(const wchar_t*, const std::wstring&, const char*, std::string& response) {
    response.clear();
    return kFailed;
}
