#include "urlrestrict/FirefoxReader.h"

// The DDE conversation with Firefox comes with the browser readers.
std::wstring GetLocalURLFirefox(CHostLog*) {
    return {};
}
