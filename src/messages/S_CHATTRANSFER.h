#pragma once

#include "messages/S_FROMCLIENT.h"

namespace Tavoro::Messages {

// A chat hand-over offered by another operator: the text of an S_FROMCLIENT of the form
// "~transfer~" chat key ":" web site ":" visitor name "~" note, as C_TRANSFER writes it.
// Missing parts are empty; a note that itself contains "~" is cut there.
class S_CHATTRANSFER {
  public:
    explicit S_CHATTRANSFER(const S_FROMCLIENT& message);
    virtual ~S_CHATTRANSFER() = default;

    const wxString& from() const { return m_from; }
    const wxString& detail0() const { return m_detail0; }  // chat key
    const wxString& detail1() const { return m_detail1; }  // web site
    const wxString& detail2() const { return m_detail2; }  // visitor name
    const wxString& note() const { return m_note; }

  private:
    wxString m_from;
    wxString m_detail0;
    wxString m_detail1;
    wxString m_detail2;
    wxString m_note;
};

}  // namespace Tavoro::Messages
