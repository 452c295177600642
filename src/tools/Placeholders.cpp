#include "tools/Placeholders.h"

#include <string>
#include <string_view>
#include <vector>

namespace Tavoro::Tools {

wxString fillPlaceholders(const wxString& pattern,
                          std::initializer_list<std::pair<const char*, wxString>> values,
                          PlaceholderFill fill) {
    struct Slot {
        std::wstring name;
        const wxString* value = nullptr;
        bool used = false;
    };
    std::vector<Slot> slots;
    slots.reserve(values.size());
    for (const auto& [name, value] : values) {
        if (name != nullptr && *name != '\0')
            slots.push_back(Slot{wxString(name).ToStdWstring(), &value});
    }

    const std::wstring text = pattern.ToStdWstring();
    const std::wstring_view rest(text);
    std::wstring out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const Slot* match = nullptr;
        for (Slot& slot : slots) {
            if ((fill == PlaceholderFill::First && slot.used) ||
                rest.compare(pos, slot.name.size(), slot.name) != 0) {
                continue;
            }
            slot.used = true;
            match = &slot;
            break;
        }
        if (match != nullptr) {
            out += match->value->ToStdWstring();
            pos += match->name.size();
        } else {
            out += text[pos];
            ++pos;
        }
    }
    return wxString(out);
}

}  // namespace Tavoro::Tools
