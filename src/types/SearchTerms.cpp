#include "types/SearchTerms.h"

#include "types/FieldSpans.h"

namespace Tavoro::Types {
namespace {

int hexDigitValue(wxUniChar c) {
    const auto v = c.GetValue();
    if (v >= '0' && v <= '9')
        return static_cast<int>(v - '0');
    if (v >= 'a' && v <= 'f')
        return static_cast<int>(v - 'a' + 10);
    if (v >= 'A' && v <= 'F')
        return static_cast<int>(v - 'A' + 10);
    return -1;
}

// Parameter names that carry the search words, in order of preference.
constexpr const wchar_t* kSearchNames[] = {L"q", L"s", L"r", L"term", L"keyword", L"kw", L"search"};
constexpr size_t kSearchNameCount = sizeof(kSearchNames) / sizeof(kSearchNames[0]);

}  // namespace

wxString percentDecode(const wxString& text) {
    wxString out;
    out.reserve(text.length());
    const size_t n = text.length();
    for (size_t i = 0; i < n; ++i) {
        const wxUniChar c = text[i];
        if (c == '%' && i + 2 < n) {
            const int high = hexDigitValue(text[i + 1]);
            const int low = hexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += wxUniChar(static_cast<unsigned>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out += c;
    }
    return out;
}

wxString searchTermsOf(const wxString& address) {
    // Runs for every visitor line and event: the parameters are read in place.
    const FieldSpans parts(address, '?');
    if (parts.count() < 2)
        return wxString();

    // Last value of each search parameter; the same effect as a name-to-value map read in the
    // order of preference, without keeping the parameters nobody asks for.
    wxString values[kSearchNameCount];
    const FieldSpans params(parts.view(1), '&');
    for (unsigned i = 0; i < params.count(); ++i) {
        const FieldSpans nameValue(params.view(i), '=');
        const std::wstring_view name = nameValue.view(0);
        for (size_t k = 0; k < kSearchNameCount; ++k) {
            if (name == kSearchNames[k]) {
                nameValue.copyTo(1, values[k]);
                break;
            }
        }
    }

    for (const wxString& value : values) {
        if (value.empty())
            continue;
        wxString words = percentDecode(value);
        words.Replace(L"+", L" ");
        words.Replace(L"AN-EXCEPTION", wxString());
        words.Replace(L"'", wxString());
        // One left-to-right pass: a run of n spaces becomes ceil(n/2) spaces.
        words.Replace(L"  ", L" ");
        return words;
    }
    return wxString();
}

}  // namespace Tavoro::Types
