#pragma once

#include <wx/string.h>

#include "widgets/ClientServices.h"

namespace Tavoro::Test {

// Main-window services that do nothing: a test derives from it and overrides only what it
// watches or answers.
class NullServices : public ClientServices {
  public:
    void sendToServer(const wxString&) override {}
    wxString operatorName(const wxString&) const override { return wxString(); }
    wxString siteDomain(const wxString&) const override { return wxString(); }
    const Types::Alert* findAlert(const wxString&, const wxString&) const override {
        return nullptr;
    }
    const Messages::S_CLIENTS* operatorList() const override { return nullptr; }
    void requestPrevChat(const wxString&, const wxString&) override {}
    void requestPrevChats(const wxString&, const wxString&) override {}
    void requestPrevVisits(const wxString&, const wxString&, const wxString&) override {}
    void pushLink(const wxString&, const wxString&) override {}
    void sendChatText(const wxString&, const wxString&) override {}
    void sendTyping(const wxString&, bool) override {}
    bool blockVisitor(const wxString&) override { return false; }
    void leaveChat(const wxString&) override {}
    void closeChat(const wxString&) override {}
    void transferChat(const wxString&, const wxString&, const wxString&, const wxString&) override {
    }
    bool requestDaySummary() override { return false; }
};

}  // namespace Tavoro::Test
