#pragma once

#include <map>
#include <utility>

#include "settings/PasswordKeeper.h"

namespace Tavoro::Test {

// A keyring in memory: what it keeps by (server, user), and whether it answers at all.
class FakePasswordKeeper : public PasswordKeeper {
  public:
    bool answers = true;
    std::map<std::pair<wxString, wxString>, wxString> kept;

    bool available() override { return answers; }
    std::optional<wxString> find(const wxString& server, const wxString& user) override {
        auto found = kept.find({server, user});
        if (!answers || found == kept.end())
            return std::nullopt;
        return found->second;
    }
    bool store(const wxString& server, const wxString& user, const wxString& password) override {
        if (!answers)
            return false;
        kept[{server, user}] = password;
        return true;
    }
    bool erase(const wxString& server, const wxString& user) override {
        if (answers)
            kept.erase({server, user});
        return answers;
    }
};

}  // namespace Tavoro::Test
