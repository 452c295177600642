#pragma once

#include <wx/string.h>

#include <initializer_list>
#include <utility>

namespace Tavoro::Tools {

// Which occurrences of each placeholder fillPlaceholders replaces.
enum class PlaceholderFill {
    Every,  // all of them
    First,  // only the first; later ones stay as written
};

// The pattern with its placeholders ("%NAME%" and the like) replaced by their values, in one
// pass from left to right. Text put in is never searched again: a value that holds a
// placeholder's name (a visitor who calls himself "%NAME%") shows as it is, and no value can
// multiply the text. Where two placeholders would match at one place the one listed first is
// taken; an empty placeholder matches nothing.
wxString fillPlaceholders(const wxString& pattern,
                          std::initializer_list<std::pair<const char*, wxString>> values,
                          PlaceholderFill fill = PlaceholderFill::Every);

}  // namespace Tavoro::Tools
