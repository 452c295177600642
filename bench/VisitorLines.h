#pragma once

#include <wx/string.h>

// Visitor data for the benchmarks: realistic visitor lines and a full list of them.
namespace Tavoro::Bench {

// A realistic visitor line of 22 fields; i numbers the visitor, site its site.
inline wxString visitorLine(int i, int site) {
    return wxString::Format(
        "S%d:10.%d.%d.%d:k%08x\t%d\t2\t0\t%d\tx5\thost-%d.dsl.example.net\tx7\tuser%d\t"
        "/shop/products/item-%d.html\tx10\t10:%02d:%02d\tFirefox 120.0\tLinux x86_64\t"
        "NNNNNYNNNNNNN\tx15\tx16\tx17\tx18\tLeeds, United Kingdom\t"
        "http://engine.example/search?hl=en&q=red+shoes+%d\t10:00:%02d",
        site, (i >> 16) & 255, (i >> 8) & 255, i & 255, i * 2654435761u, i, i % 40, i, i, i, i % 60,
        i % 60, i, i % 60);
}

// The data of an "@CV" with count visitors over 20 sites.
inline wxString fullListData(int count) {
    wxString data;
    data.reserve(static_cast<size_t>(count) * 260);
    for (int i = 0; i < count; ++i) {
        if (i)
            data << wxUniChar(27);
        data << visitorLine(i, i % 20);
    }
    return data;
}

}  // namespace Tavoro::Bench
