#include "types/VisitorFields.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "tools/Utf8.h"
#include "tools/wxStringSplitter.h"
#include "types/FieldSpans.h"
#include "types/Int32.h"

namespace Tavoro::Types {

namespace {

// Cuts text at sep into at most out.size() spans relative to base (later parts are ignored);
// missing and empty parts are empty spans. The separators are ASCII, and no byte of a
// multi-byte UTF-8 sequence is ASCII, so cutting the bytes is cutting the characters.
template <size_t N, typename Span>
void cutSpans(std::string_view text, size_t base, char sep, std::array<Span, N>& out) {
    size_t start = 0;
    for (Span& span : out) {
        if (start > text.size()) {
            span = Span();
            continue;
        }
        const size_t end = std::min(text.find(sep, start), text.size());
        span = end > start
                   ? Span{static_cast<uint32_t>(base + start), static_cast<uint32_t>(end - start)}
                   : Span();
        start = end + 1;
    }
}

}  // namespace

VisitorFields::VisitorFields(VisitorFields&& other) noexcept {
    *this = std::move(other);
}

VisitorFields& VisitorFields::operator=(VisitorFields&& other) noexcept {
    if (this == &other)
        return *this;
    // The spans index into the line, so the other's spans go with its line and are cleared.
    m_line = std::move(other.m_line);
    m_fields = std::exchange(other.m_fields, {});
    m_keyParts = std::exchange(other.m_keyParts, {});
    m_number = std::exchange(other.m_number, 0);
    m_pageViews = std::exchange(other.m_pageViews, 0);
    m_flags = std::exchange(other.m_flags, {});
    other.m_line.clear();
    return *this;
}

wxString VisitorFields::text(std::string_view view) {
    return Tools::fromUtf8(view);
}

std::string_view VisitorFields::view(Span span) const {
    if (span.length == 0)
        return std::string_view();
    return std::string_view(m_line.data() + span.start, span.length);
}

std::string_view VisitorFields::fieldView(unsigned i) const {
    return i < kFieldCount ? view(m_fields[i]) : std::string_view();
}

std::string_view VisitorFields::keyPart(unsigned part) const {
    return view(m_keyParts[part]);
}

bool VisitorFields::parseLine(std::wstring_view line, unsigned fewestRejected) {
    const FieldSpans fields(line, '\t');
    // Positions are kept in 32 bits, and a character takes up to four bytes in UTF-8; a line
    // that long is no visitor line.
    if (fields.count() <= fewestRejected ||
        line.size() >= std::numeric_limits<uint32_t>::max() / 4) {
        return false;
    }

    // Keep the line up to the end of the last field that is read.
    const std::wstring_view last = fields.view(std::min(fields.count(), kFieldCount) - 1);
    const size_t kept = static_cast<size_t>(last.data() - line.data()) + last.size();
    Tools::assignUtf8(m_line, line.substr(0, kept));
    cutSpans(m_line, 0, '\t', m_fields);
    // The visitor key is "site:ip:tail"; a fourth part is ignored.
    const Span key = m_fields[FIELD_KEY];
    cutSpans(view(key), key.start, ':', m_keyParts);

    m_number = clampToInt32(Tools::parseLeadingLong(numberText()));
    m_pageViews = clampToInt32(Tools::parseLeadingLong(viewsText()));

    // Flags are counted in characters, so they are read from the wide line.
    const std::wstring_view flagText = fields.view(FIELD_FLAGS);
    for (unsigned i = 0; i < kFlagCount; ++i) {
        m_flags[i] = i < flagText.size() && flagText[i] == L'Y';
    }
    return true;
}

bool VisitorFields::operator==(const VisitorFields& o) const {
    if (m_number != o.m_number || m_pageViews != o.m_pageViews || m_flags != o.m_flags) {
        return false;
    }
    for (unsigned i = 0; i < kFieldCount; ++i) {
        if (fieldView(i) != o.fieldView(i))
            return false;
    }
    for (unsigned p = 0; p < KEY_PART_COUNT; ++p) {
        if (keyPart(p) != o.keyPart(p))
            return false;
    }
    return true;
}

std::ostream& operator<<(std::ostream& out, const VisitorFields& v) {
    out << "{key='" << v.visitorKey() << "' site='" << v.site() << "' ip='" << v.ipAddress()
        << "' tail='" << v.keyTail() << "' number=" << v.number() << " '" << v.numberText()
        << "' visit='" << v.visitText() << "' alert='" << v.raisedAlertId()
        << "' views=" << v.pageViews() << " '" << v.viewsText() << "' text5='" << v.text5()
        << "' dns='" << v.dns() << "' text7='" << v.text7() << "' user='" << v.username()
        << "' onPage='" << v.onPage() << "' text10='" << v.text10() << "' last='" << v.lastTime()
        << "' browser='" << v.browser() << "' os='" << v.opSys() << "' text15..18='" << v.text15()
        << "','" << v.text16() << "','" << v.text17() << "','" << v.text18() << "' location='"
        << v.location() << "' referrer='" << v.referrer() << "' start='" << v.startTime()
        << "' flags=";
    for (bool f : v.flags())
        out << (f ? 'Y' : '-');
    return out << '}';
}

}  // namespace Tavoro::Types
