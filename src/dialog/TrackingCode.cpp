#include "dialog/TrackingCode.h"

#include <wx/intl.h>

#include <cstring>
#include <utility>
#include <vector>

namespace Tavoro::Dialog {
namespace {

const wchar_t* const kLineEnd = L"\r\n";

// Characters left as they are in a host with optional port and path ("gw.example.com:8443/tv");
// letters and digits are always kept.
const char* const kHostKeep = "-._~:/@!$()*+,;=[]";
// Characters left as they are in a query value (the domain).
const char* const kQueryValueKeep = "-._~";

bool isAsciiAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Percent-encodes the UTF-8 bytes of a text, keeping ASCII letters, digits and the characters
// of `keep`. Quotes, angle brackets, blanks, "%", "&", "#" and control characters are always
// encoded.
wxString percentEncode(const wxString& text, const char* keep) {
    static const char hex[] = "0123456789ABCDEF";
    const wxScopedCharBuffer utf8 = text.utf8_str();
    wxString out;
    out.reserve(utf8.length());
    for (size_t i = 0; i < utf8.length(); ++i) {
        const auto c = static_cast<unsigned char>(utf8.data()[i]);
        if (isAsciiAlnum(c) || (c < 0x80 && c != 0 && std::strchr(keep, c) != nullptr)) {
            out += static_cast<wchar_t>(c);
        } else {
            out += L'%';
            out += static_cast<wchar_t>(hex[c >> 4]);
            out += static_cast<wchar_t>(hex[c & 0x0F]);
        }
    }
    return out;
}

// Replaces "%NAME%" placeholders in one pass over the template: replacement texts are copied
// as they are, so a value that itself contains "%DOMAIN%" stays literal. An unknown "%...%"
// is kept.
wxString expandPlaceholders(const wxString& text,
                            const std::vector<std::pair<wxString, wxString>>& values) {
    wxString out;
    out.reserve(text.length());
    size_t pos = 0;
    while (pos < text.length()) {
        const size_t open = text.find(L'%', pos);
        if (open == wxString::npos) {
            out += text.substr(pos);
            break;
        }
        out += text.substr(pos, open - pos);
        bool replaced = false;
        for (const auto& [placeholder, value] : values) {
            if (text.compare(open, placeholder.length(), placeholder) == 0) {
                out += value;
                pos = open + placeholder.length();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            out += L'%';
            pos = open + 1;
        }
    }
    return out;
}

}  // namespace

wxString gatewayUrl(const wxString& host, bool https) {
    wxString bare = wxString(host).Strip(wxString::both);
    const wxString lower = bare.Lower();
    for (const wchar_t* scheme : {L"https://", L"http://"}) {
        if (lower.StartsWith(scheme)) {
            bare = bare.substr(wcslen(scheme));
            break;
        }
    }
    while (bare.EndsWith("/")) {
        bare.RemoveLast();
    }
    return (https ? wxString("https://") : wxString("http://")) + percentEncode(bare, kHostKeep);
}

wxString buildTrackingCode(const TrackingCodeInput& input) {
    std::vector<wxString> lines;
    // TRANSLATORS: start of an HTML comment in the code a site owner pastes into a web page;
    // keep "<!--" and %APPNAME%.
    wxString first = _("<!-- Embedded %APPNAME%: Insert the script below ");
    if (input.hideClickToChat) {
        // TRANSLATORS: end of the HTML comment above; keep "-->".
        first += _("immediately before the /body section of the website -->");
    } else {
        // TRANSLATORS: end of the HTML comment above; keep "-->".
        first += _("at the point you want the Click to Chat link to appear -->");
    }
    lines.push_back(first);
    lines.emplace_back(
        "<script type='text/javascript' language='Javascript' "
        "src='%GATEWAYADDRESS%/include.js?domain=%DOMAIN%'></script>");
    lines.emplace_back("<script type='text/javascript' language='Javascript'>");
    if (input.hideClickToChat) {
        lines.emplace_back("sTVResponse='';");
    }
    lines.emplace_back("if (sTVTrackPage)sTVTrackPage();");
    lines.emplace_back("</script>");
    // TRANSLATORS: HTML comment closing the pasted code; keep "<!--", "-->" and %APPNAME%.
    lines.push_back(_("<!-- End of Embedded %APPNAME% -->"));

    wxString code;
    for (const wxString& line : lines) {
        code += line;
        code += kLineEnd;
    }

    const wxString gateway = input.useHttps ? gatewayUrl(input.gatewayAddressSsl, true)
                                            : gatewayUrl(input.gatewayAddress, false);
    const wxString domain =
        percentEncode(wxString(input.domain).Strip(wxString::both), kQueryValueKeep);
    // TRANSLATORS: the product name inside the pasted HTML comments.
    return expandPlaceholders(
        code, {{"%APPNAME%", _("Tavoro")}, {"%GATEWAYADDRESS%", gateway}, {"%DOMAIN%", domain}});
}

}  // namespace Tavoro::Dialog
