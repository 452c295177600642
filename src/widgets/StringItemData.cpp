#include "widgets/StringItemData.h"

namespace Tavoro::Tools {

StringItemData::StringItemData(const wxString& text) : m_text(text) {}

StringItemData::~StringItemData() = default;

void StringItemData::setText(const wxString& text) {
    m_text = text;
}

}  // namespace Tavoro::Tools
