#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@PREVCHAT": the transcript of one earlier chat, laid out as that of "@CURRENTCHAT" (see
// ChatTranscript) except that the first transcript line is not shown.
class S_PREVCHAT {
  public:
    explicit S_PREVCHAT(const TavoroMessage& message);
    virtual ~S_PREVCHAT() = default;

    const wxString& site() const { return m_site; }
    const wxString& text0() const { return m_text0; }
    const wxString& ipAddress() const { return m_ipAddress; }
    const wxString& visitorName() const { return m_visitorName; }
    const wxString& operatorNames() const { return m_operatorNames; }
    const wxString& text3() const { return m_text3; }
    const wxString& transcriptHtml() const { return m_transcriptHtml; }

  private:
    wxString m_site;
    wxString m_text0;
    wxString m_ipAddress;
    wxString m_visitorName;
    wxString m_operatorNames;
    wxString m_text3;
    wxString m_transcriptHtml;
};

}  // namespace Tavoro::Messages
