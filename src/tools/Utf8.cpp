#include "tools/Utf8.h"

#include <wx/strconv.h>

#include <algorithm>
#include <cstdint>

namespace Tavoro::Tools {

void assignUtf8(std::string& out, std::wstring_view text) {
    const auto invalid = [](wchar_t c) { return static_cast<uint32_t>(c) > 0x10FFFF; };
    std::wstring cleaned;
    if (std::any_of(text.begin(), text.end(), invalid)) {
        cleaned.assign(text);
        std::replace_if(cleaned.begin(), cleaned.end(), invalid, L'\xFFFD');
        text = cleaned;
    }
    if (text.empty()) {
        out.clear();
        return;
    }
    const size_t size = wxConvUTF8.FromWChar(nullptr, 0, text.data(), text.size());
    if (size == wxCONV_FAILED) {
        out.clear();
        return;
    }
    out.resize(size);
    wxConvUTF8.FromWChar(out.data(), size, text.data(), text.size());
}

}  // namespace Tavoro::Tools
