// One GET over WinINet, for the probe that asks whether a text is a web
// address: does a server answer it with a body?
//
// Bounds: the probe runs inside the sweep with the controller's lock held,
// so the caller waits at most kHttpDeadlineMs for the whole exchange
// (connect, send, every read) and at most `limit` body bytes are read. The
// exchange runs on a thread of its own (RunWithDeadline): under Wine, closing
// a WinINet handle does not end a call blocked on it, and a server that
// trickles a byte at a time keeps every single wait short. An exchange left
// behind at the deadline reads nothing more and ends at its next wait (at
// most kHttpDeadlineMs), unless the server trickles its headers; it keeps
// the module loaded until it has ended, and counts among the runner's
// abandoned work: while that is at its bound, a GET fails at once.
//
// Nothing of the user's goes out: no cookies, no credentials, and a redirect
// is not followed (its own body is the answer).
#pragma once

#include <windows.h>

#include <string>

constexpr DWORD kHttpDeadlineMs = 5000;

class CHttpClient {
public:
    explicit CHttpClient(std::wstring userAgent) : userAgent_(std::move(userAgent)) {}

    // The first `limit` bytes of the body that a GET for `url` (http or
    // https) brings back, as sent; empty when the URL is of another kind
    // (then nothing is sent), the request fails or the deadline passes.
    std::string Get(const std::wstring& url, size_t limit) const;

private:
    std::wstring userAgent_;
};
