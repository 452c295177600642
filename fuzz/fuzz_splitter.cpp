// The field splitter, both modes, and the in-place splitter that must give the same fields.
// The first byte picks the separator (any but NUL), the rest is the text.
#include "FuzzText.h"
#include "tools/wxStringSplitter.h"
#include "types/FieldSpans.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The protocol never cuts at NUL; the toolkit's tokenizer cannot take it as a delimiter.
    if (size == 0 || data[0] == 0) {
        return 0;
    }
    const wxChar separator = static_cast<wxChar>(data[0]);
    const wxString text = Fuzz::textOf(data + 1, size - 1);
    for (bool keep : {true, false}) {
        const Tools::wxStringSplitter split(text, separator, keep);
        const Types::FieldSpans spans(text, separator, keep);
        Fuzz::check(spans.count() == split.count(), "same field count");
        wxString joined;
        for (unsigned i = 0; i <= split.count(); ++i) {
            Fuzz::check(spans.item(i) == split.item(i), "same field");
            Fuzz::check(spans.itemAsLong(i) == split.itemAsLong(i), "same number");
            if (i < split.count())
                joined << (i ? wxString(separator) : wxString()) << split.item(i);
        }
        Fuzz::check(split.item(split.count() + 1000).empty(), "past the end is empty");
        if (keep) {
            Fuzz::check(joined == text, "fields joined give the text back");
        } else {
            Fuzz::check(text.StartsWith(joined), "fields joined give a prefix of the text");
        }
    }
    return 0;
}
