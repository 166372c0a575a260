#include "browsers/EdgeReader.h"

// Reading Edge's address comes with the accessibility walker.
void GetEdgeURL(HWND, std::wstring&) {}
