// A small synchronous HTTP client over WinINet, used to probe whether a
// text is a web address.
//
// Bounds: it runs inside the sweep with the controller's lock held, so every
// network wait of a request (connect, send, each receive) gives up after
// 5 s with result kTimeout, and at most 4 MiB of body are read (the rest is
// left unread; the result is still kDone).
#pragma once

#include "fw/UniqueHandle.h"

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

private:
    UniqueInternet m_session;
};
