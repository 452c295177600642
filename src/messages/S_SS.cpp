#include "messages/S_SS.h"

#include <unordered_map>

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {
namespace {

const wchar_t* const kNames[] = {
    L"",
    L"Group",
    L"Domain",
    L"Name",
    L"SiteKey",
    L"GatewayAddress",
    L"GatewayAddressSSL",
    L"HomePage",
    L"GmtBiasUseDefault",
    L"GmtBias",
    L"ChatOnLineGraphic",
    L"ChatOffLineGraphic",
    L"ChatInviteGraphic",
    L"ChatInviteCustomGraphic",
    L"ChatWarningGraphic",
    L"ChatLogoGraphic",
};
constexpr int32_t kNameCount = static_cast<int32_t>(sizeof(kNames) / sizeof(kNames[0]));

// Built once, on first use, and only read afterwards (safe from any thread).
const std::unordered_map<std::wstring, int32_t>& nameTable() {
    static const std::unordered_map<std::wstring, int32_t> table = [] {
        std::unordered_map<std::wstring, int32_t> t;
        for (int32_t i = 1; i < kNameCount; ++i)
            t.emplace(kNames[i], i);
        return t;
    }();
    return table;
}

}  // namespace

int32_t S_SS::numberOfName(const wxString& name) {
    const auto& table = nameTable();
    auto it = table.find(name.ToStdWstring());
    return it == table.end() ? SS_UNKNOWN : it->second;
}

S_SS::S_SS(const TavoroMessage& message) {
    const Tools::wxStringSplitter lines(message.data(), '\n', true);
    m_header = lines.item(0);
    for (unsigned i = 1; i < lines.count(); ++i) {
        const Tools::wxStringSplitter nameValue(lines.item(i), '=', true);
        m_values[numberOfName(nameValue.item(0))] = nameValue.item(1);
    }
}

wxString S_SS::textValue(int32_t number) {
    return m_values[number];
}

long S_SS::intValue(int32_t number) {
    return Tools::parseLeadingLong(m_values[number]);
}

bool S_SS::boolValue(int32_t number) {
    return m_values[number] == "True";
}

}  // namespace Tavoro::Messages
