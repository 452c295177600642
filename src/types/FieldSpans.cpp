#include "types/FieldSpans.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Types {

FieldSpans::FieldSpans(std::wstring_view text, wxChar separator, bool keepTrailingEmpty) {
    if (text.empty())
        return;
    const wchar_t sep = static_cast<wchar_t>(separator);
    size_t start = 0;
    for (size_t pos = text.find(sep); pos != std::wstring_view::npos; pos = text.find(sep, start)) {
        add(text.substr(start, pos - start));
        start = pos + 1;
    }
    add(text.substr(start));
    if (!keepTrailingEmpty) {
        while (m_count > 1 && at(m_count - 1).empty()) {
            --m_count;
            if (m_count >= kInline)
                m_overflow.pop_back();
        }
    }
}

void FieldSpans::add(std::wstring_view field) {
    if (m_count < kInline) {
        m_inline[m_count] = field;
    } else {
        m_overflow.push_back(field);
    }
    ++m_count;
}

std::wstring_view FieldSpans::view(unsigned index) const {
    if (index >= m_count)
        return std::wstring_view();
    return index < kInline ? m_inline[index] : m_overflow[index - kInline];
}

wxString FieldSpans::item(unsigned index) const {
    const std::wstring_view v = view(index);
    return v.empty() ? wxString() : wxString(v.data(), v.size());
}

void FieldSpans::copyTo(unsigned index, wxString& target) const {
    const std::wstring_view v = view(index);
    if (v.empty()) {
        target.clear();
    } else {
        target.assign(v.data(), v.size());
    }
}

long FieldSpans::itemAsLong(unsigned index) const {
    return index < m_count ? Tools::parseLeadingLong(item(index)) : 0;
}

}  // namespace Tavoro::Types
