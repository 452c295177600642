#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "messages/TavoroMessage.h"

namespace Tavoro::Fuzz {

// Fuzzer bytes as text, one character per byte (0 to 255). Characters above U+00FF reach the
// parsers through the STX hexadecimal form of the envelope, as they do on the wire.
inline wxString textOf(const uint8_t* data, size_t size) {
    wxString text;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i)
        text += wxUniChar(static_cast<unsigned>(data[i]));
    return text;
}

// The envelope a message class is built from: a text starting with STX goes through the parse
// constructor (hex form, command, colon, data); any other text is the data of a message of the
// given kind.
inline Messages::TavoroMessage messageOf(Messages::MessageKind kind, const wxString& text) {
    if (!text.empty() && text[0] == wxUniChar(2))
        return Messages::TavoroMessage(text);
    return Messages::TavoroMessage(kind, text);
}

// A broken invariant is a finding: report it and abort so libFuzzer keeps the input.
inline void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace Tavoro::Fuzz
