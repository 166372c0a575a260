// The addresses a browser or Explorer window shows, read from its window
// tree in a fixed order and offered one by one to a judge.
#pragma once

#include "RestrictAction.h"

#include <functional>
#include <string>

// How an address was read; each way is judged its own way (UrlMatching.h).
// A new way of reading is a value here, its step in the walk and its row in
// UrlMatching.cpp's JudgingOf.
enum class AddressSource {
    kChromeFrame,    // Chrome 31 and later: the frame's own accessible tree
    kChromeOmnibox,  // an omnibox window below the frame
    kChromeBeside,   // the Chrome frame, read at one of its children of no known class
    kEdit,           // a plain "Edit" window's text
    kEdge,           // the store-app frame's accessible value
    kFirefox,        // the foreground Firefox window
    kAddressField,   // a current browser's address field, found by role in
                     // its accessible tree (browsers/AddressField.h)
};

struct ShownAddress {
    AddressSource source;
    std::wstring text;  // as read
    // The window whose turn read it: the host is asked about this one.
    HWND window;
    // The installed Chrome's major version as known when it was read; 0
    // when none was found.
    int chromeVersion;
};

// Offered each address read, in the order of the walk; true ends the walk.
using AddressJudge = std::function<bool(const ShownAddress&)>;

// Walks `hwnd`'s tree depth first, each window in a turn of its own: a
// window with a store-app child offers Edge's address and nothing else;
// otherwise the Chrome frame's own address, then each child's (an omnibox,
// an "Edit", the frame again) or else the child's own turn. A turn ends
// with the first address it offers, whatever the judge makes of it; the
// parent's turn then goes on with its next child. A turn that offered none
// asks the foreground Firefox window at its end, and offers its address; the
// browser itself is asked once a walk (FirefoxReader.h).
// True when the judge ended the walk.
//
// With `readsFields`, a Chromium ("Chrome_WidgetWin_1") or Firefox
// ("MozillaWindowClass") window none of whose own addresses was offered
// has its address field read last. The foreground Firefox's field is read
// between DDE and the keys instead: in its own walk it is offered there; in
// any walk, a field that answered keeps the keys from being pressed. A field
// with focus (typed text), or a browser that does not answer, ends the walk
// with nothing judged; the next sweep reads it again. Each window's field is
// read at most once a walk.
//
// `chromeVersion` is the installed Chrome's version once found (0 until
// then): the registry is asked at the start of every walk until it names one.
bool CheckInternetRestrictEditbox(HWND hwnd, int& chromeVersion, bool readsFields, CHostLog* log,
                                  const AddressJudge& judge);
