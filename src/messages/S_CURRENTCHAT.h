#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@CURRENTCHAT": the transcript of a running chat, as HTML (see ChatTranscript for the layout
// and the fragments). The chat is found by (ipAddress, visitorName) among the chatting visitors.
class S_CURRENTCHAT {
  public:
    explicit S_CURRENTCHAT(const TavoroMessage& message);
    virtual ~S_CURRENTCHAT() = default;

    const wxString& site() const { return m_site; }
    const wxString& ipAddress() const { return m_ipAddress; }
    const wxString& keyTail() const { return m_keyTail; }
    const wxString& visitorName() const { return m_visitorName; }
    const wxString& operatorNames() const { return m_operatorNames; }
    const wxString& text3() const { return m_text3; }
    const wxString& transcriptHtml() const { return m_transcriptHtml; }

  private:
    wxString m_site;
    wxString m_ipAddress;
    wxString m_keyTail;
    wxString m_visitorName;
    wxString m_operatorNames;
    wxString m_text3;
    wxString m_transcriptHtml;
};

}  // namespace Tavoro::Messages
