#pragma once

#include <wx/string.h>

namespace Tavoro::Types {

// The search words that a visitor typed into the search engine that sent them, read from the
// query of the referring address: the first non-empty value among the parameters "q", "s", "r",
// "term", "keyword", "kw" and "search" (names compared case-sensitively; a later parameter of
// the same name replaces an earlier one), percent-decoded one byte per character, with "+"
// read as a space, "AN-EXCEPTION" and "'" removed and double spaces halved in one pass.
// An address without "?" or without any of those parameters gives the empty text.
wxString searchTermsOf(const wxString& address);

// Percent-decoding of a query value: "%" and two hexadecimal digits become the character with
// that code (0 to 255; bytes are not combined as UTF-8). A "%" that is not followed by two
// hexadecimal digits is kept as it is.
wxString percentDecode(const wxString& text);

}  // namespace Tavoro::Types
