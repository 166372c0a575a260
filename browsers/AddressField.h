// The address field of a current browser (Chromium whatever its vendor,
// Firefox), found in the window's accessible tree by roles alone, so in any
// UI language, and read without a key pressed or the clipboard touched.
#pragma once

#include "RestrictAction.h"

#include <string>

enum class FieldRead {
    kAddress,  // `value` is the address shown, often without its scheme
    kTyping,   // the field has focus: `value` is what the user is typing,
               // or a suggestion's label; no address to judge until it leaves
    kNone,     // the browser answered: no address field (none within the
               // search's budget and deadline), or an empty one
    // No answer within the read's wait (one error line logged when the
    // read was abandoned), or an earlier read of the window still runs.
    // Chromium may answer its first read slowly: it switches its
    // accessibility on when first asked.
    kNoAnswer,
};

struct AddressField {
    FieldRead read;
    std::wstring value;  // empty unless kAddress or kTyping
};

// Reads the tree of `hwnd` within the walker's node budget and deadline.
// The field is the first editable text inside a toolbar, directly or
// through groupings or a combo box, and not inside a document (a page's own
// toolbar) nor a tab strip.
AddressField ReadAddressField(HWND hwnd, CHostLog* log);
