// A small synchronous HTTP client over WinINet, used to probe whether a
// text is a web address.
#pragma once

#include <windows.h>

#include <string>

class CHttpClient {
public:
    enum Result { kDone = 0, kFailed = 1, kTimeout = 2 };

    explicit CHttpClient(const wchar_t* userAgent);
    ~CHttpClient();
    CHttpClient(const CHttpClient&) = delete;
    CHttpClient& operator=(const CHttpClient&) = delete;

    // `body` is a NUL-terminated byte text or null. `response` receives the
    // response body converted from UTF-8 to the ANSI code page; it stays
    // empty on failure.
    int Request(const wchar_t* verb, const std::wstring& url, const char* body, std::string& response);
    int Get(const std::wstring& url, const char* body, std::string& response) {
        return Request(L"GET", url, body, response);
    }
};
