// The search terms of a referrer address.
#include "FuzzText.h"
#include "types/SearchTerms.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const wxString address = Fuzz::textOf(data, size);
    const wxString terms = Types::searchTermsOf(address);
    // Decoding, removals and the halving of spaces only ever shorten the value.
    Fuzz::check(terms.length() <= address.length(), "terms no longer than the address");
    Fuzz::check(terms.find("  ") == wxString::npos || address.find("  ") != wxString::npos ||
                    address.find('+') != wxString::npos || address.find('%') != wxString::npos,
                "double spaces only from the value itself");
    Fuzz::check(Types::percentDecode(address).length() <= address.length(),
                "percent-decoding never lengthens");
    return 0;
}
