// Lines into the host's log file, through the host's log object.
// Format: "<date>  <time> <tag> : <message> <file size before the line>",
// CR LF, ANSI code page. The file is opened and closed for every line so
// that the host may read, move or delete it at any time.
#pragma once

#include "RestrictAction.h"

// `format` is a wvsprintfW format: %s takes a wide string, %d an int.
// The message is cut to 259 characters. A null log object writes nothing.
void Log(CHostLog* log, int level, const wchar_t* format, ...);
