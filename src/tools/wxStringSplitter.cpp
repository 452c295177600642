#include "tools/wxStringSplitter.h"

#include <wx/tokenzr.h>

#include <cerrno>
#include <cwchar>

namespace Tavoro::Tools {

wxStringSplitter::wxStringSplitter(const wxString& text, wxChar separator, bool keepTrailingEmpty) {
    wxStringTokenizer tokenizer(text, wxString(separator),
                                keepTrailingEmpty ? wxTOKEN_RET_EMPTY_ALL : wxTOKEN_RET_EMPTY);
    m_items.reserve(tokenizer.CountTokens());
    while (tokenizer.HasMoreTokens()) {
        m_items.push_back(tokenizer.GetNextToken());
    }
}

const wxString& wxStringSplitter::item(unsigned index) const {
    return index < m_items.size() ? m_items[index] : m_empty;
}

long wxStringSplitter::itemAsLong(unsigned index) const {
    return index < m_items.size() ? parseLeadingLong(m_items[index]) : 0;
}

long parseLeadingLong(const wxString& text) {
    const wchar_t* begin = text.wc_str();
    wchar_t* end = nullptr;
    errno = 0;
    long value = std::wcstol(begin, &end, 10);
    return end == begin ? 0 : value;
}

}  // namespace Tavoro::Tools
