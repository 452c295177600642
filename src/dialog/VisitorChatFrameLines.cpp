// The conversation: transcript lines, the operator's lines and links, typing notices and the
// title that flashes while a visitor's line is unread.
#include "dialog/SpellChecking.h"
#include "dialog/VisitorChatFrame.h"
#include "tools/HtmlText.h"
#include "tools/Placeholders.h"

#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/evtloop.h>
#include <wx/html/htmlwin.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/regex.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/uri.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <chrono>

#include "messages/S_CURRENTCHAT.h"
#include "messages/S_MESSAGE.h"
#include "widgets/ClientServices.h"
#include "widgets/TranscriptView.h"

namespace Tavoro::Dialog {
namespace {

using Tools::fillPlaceholders;

// An address with a scheme, written out: scheme, host, optional port, path and query.
const wxString kSchemePattern =
    "(https?:(\\/){2})[A-Za-z0-9._-]+(:[0-9]+)?(\\/[A-Za-z0-9._\\/-]*(\\?[A-Za-z0-9._\\/&=-]+)?)?";
// A file name with a 3 to 5 character extension and an optional query: a page of the site.
const wxString kFilePattern = "[a-zA-Z0-9_%./-]+\\.[a-zA-Z0-9]{3,5}(\\?[a-zA-Z%0-9_&=-]*)?";

wxString timeNow() {
    return wxDateTime::Now().Format("%c");
}

long steadyMs() {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count());
}

int askUser(wxWindow* parent, const wxString& text, const wxString& caption, long style) {
    if (VisitorChatFrame::messageBoxHook)
        return VisitorChatFrame::messageBoxHook(parent, text, caption, style);
    return wxMessageBox(text, caption, style, parent);
}

bool isWebLink(const wxString& href) {
    const wxString scheme = wxURI(href).GetScheme().Lower();
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

}  // namespace

wxString VisitorChatFrame::escape_html(const wxString& text) {
    return Tools::escapeHtml(text);
}

VisitorChatFrame::Address VisitorChatFrame::find_address(const wxString& line,
                                                         const wxString& webSite) {
    Address result;
    size_t start = 0;
    size_t length = 0;
    static const wxRegEx scheme(kSchemePattern, wxRE_EXTENDED | wxRE_ICASE);
    if (scheme.IsValid() && scheme.Matches(line) && scheme.GetMatch(&start, &length) &&
        length > 0) {
        result.found = true;
        result.url = line.Mid(start, length);
    } else {
        static const wxRegEx file(kFilePattern, wxRE_EXTENDED);
        if (file.IsValid() && file.Matches(line) && file.GetMatch(&start, &length) && length > 0) {
            result.found = true;
            result.url = "http://" + webSite + "/" + line.Mid(start, length);
        }
    }
    if (result.found) {
        result.start = start;
        result.length = length;
    }
    return result;
}

void VisitorChatFrame::append_line(const wxString& html) {
    // Lines that arrive together (a burst of messages) are shown with one append and one
    // repaint. A line goes into the view at once when the view was last brought up to date at
    // least kLineBatchMs ago; otherwise with the next update, queued in the main window behind
    // the server's frames already waiting there, so that frames arriving later cannot hold it
    // back. A batch is shown once it has kMaxBatchLines lines, so that the update of the view
    // stays short.
    m_pendingHtml += html;
    ++m_pendingLines;
    const long now = steadyMs();
    if (now - m_lastFlushMs >= kLineBatchMs || m_pendingLines >= kMaxBatchLines) {
        flush_lines();
        return;
    }
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    wxEvtHandler* queue = GetParent() ? GetParent()->GetEventHandler() : this;
    wxWeakRef<VisitorChatFrame> self(this);
    queue->CallAfter([self] {
        if (self)
            self->flush_lines();
    });
}

void VisitorChatFrame::flush_lines() {
    m_flushScheduled = false;
    m_lastFlushMs = steadyMs();
    m_pendingLines = 0;
    if (m_pendingHtml.empty())
        return;
    wxString html;
    html.swap(m_pendingHtml);
    std::vector<long> receivedAt;
    receivedAt.swap(m_pendingReceivedAt);
    m_transcript->append_html(html);
    scroll_to_bottom();
    if (lineShownObserver) {
        for (long at : receivedAt)
            lineShownObserver(at);
    }
}

void VisitorChatFrame::scroll_to_bottom() {
    m_transcript->scroll_to_bottom();
}

wxString VisitorChatFrame::transcript_html() const {
    return m_transcript->html() + m_pendingHtml;
}

void VisitorChatFrame::set_transcript(const wxString& html) {
    m_pendingHtml.clear();
    m_pendingReceivedAt.clear();
    m_pendingLines = 0;
    m_transcript->set_html(html);
    scroll_to_bottom();
}

void VisitorChatFrame::show_current_chat(const Messages::S_CURRENTCHAT& chat) {
    set_transcript(chat.transcriptHtml());
}

void VisitorChatFrame::show_message(const Messages::S_MESSAGE& message, long receivedAtMs) {
    if (!message.chatId().empty() && message.chatId() != m_chatKey)
        return;
    if (message.visitorLeft()) {
        show_visitor_left();
        return;
    }
    if (receivedAtMs >= 0)
        m_pendingReceivedAt.push_back(receivedAtMs);
    add_visitor_line(message.text());
}

void VisitorChatFrame::add_visitor_line(const wxString& text) {
    append_line(
        fillPlaceholders(_("<font color='#AAAAAA'>%VISITORNAME% said at %TIME%:</font><br><font "
                           "color='#000000'>%MESSAGE%</font><br>"),
                         {{"%VISITORNAME%", escape_html(m_visitorName)},
                          {"%TIME%", timeNow()},
                          {"%MESSAGE%", Tools::linkifyEscaped(escape_html(text))}}));
    // While the title flashes the operator has been asked for attention already. The request
    // is made once: the toolkit's attention request runs a nested event loop (and crashes
    // without an active one: a window fed before the main loop runs, or from a test), which a
    // burst of lines must not pay per line. It is the kind that stays until the window is
    // activated: the passing kind starts a toolkit timer that is not cancelled when the window
    // is destroyed and then runs on the freed window if the chat is closed within seconds.
    if (!IsActive() && !m_flashTimer.IsRunning()) {
        if (wxEventLoopBase::GetActive())
            RequestUserAttention(wxUSER_ATTENTION_ERROR);
        m_flashTimer.Start(kFlashIntervalMs);
    }
}

void VisitorChatFrame::show_notice(const wxString& lineTemplate) {
    append_line(fillPlaceholders(lineTemplate,
                                 {{"%TIME%", timeNow()}, {"%NAME%", escape_html(m_visitorName)}}));
}

void VisitorChatFrame::end_chat(const wxString& lineTemplate) {
    show_notice(lineTemplate);
    m_chatEnded = true;
    m_input->Enable(false);
    m_sendButton->Enable(false);
    // Nobody is left to hand the chat to.
    m_toolBar->EnableTool(ID_TOOL_TRANSFER, false);
}

void VisitorChatFrame::show_visitor_left() {
    if (m_readOnly)
        return;
    end_chat(
        _("<font color='#FF0000'>%TIME%: Visitor %NAME% has left the conversation.</font><br>"));
}

void VisitorChatFrame::show_chat_closed() {
    if (m_readOnly)
        return;
    end_chat(
        _("<font color='#FF0000'>%TIME%: Chat session has been closed by server / "
          "operator.</font><br>"));
}

void VisitorChatFrame::show_reattached(bool stillOurs, const std::vector<wxString>& heldLines) {
    if (m_readOnly)
        return;
    if (!stillOurs) {
        end_chat(
            _("<font color='#FF0000'>%TIME%: The chat ended while the connection to the "
              "server was down.</font><br>"));
    }
    // The refreshed transcript does not hold them yet: they show again, marked.
    const wxString line =
        stillOurs ? _("<font color='#AAAAAA'>You said at %TIME% (sent after reconnecting):</font>"
                      "<br><font color='#0000FF'>%MESSAGE%</font><br>")
                  : _("<font color='#FF0000'>Not sent: %MESSAGE%</font><br>");
    for (const wxString& text : heldLines) {
        append_line(fillPlaceholders(
            line,
            {{"%TIME%", timeNow()}, {"%MESSAGE%", Tools::linkifyEscaped(escape_html(text))}}));
    }
    scroll_to_bottom();
}

void VisitorChatFrame::show_typing(bool typing) {
    SetStatusText(typing ? _("The visitor is typing a message...") : wxString());
}

void VisitorChatFrame::send_line() {
    if (m_readOnly || m_chatEnded || m_chatKey.empty())
        return;
    const wxString text = m_input->GetValue();
    if (text.Strip(wxString::both).empty())
        return;
    if (!confirm_spelling(text))
        return;

    wxString message = escape_html(text);
    const Address address = find_address(text, m_webSite);
    if (address.found) {
        const int answer = askUser(this,
                                   fillPlaceholders(_("Send As A Link?%CRLF%%CRLF%%URL%"),
                                                    {{"%CRLF%", "\r\n"}, {"%URL%", address.url}}),
                                   _("Client Question"), wxYES_NO | wxCANCEL | wxICON_QUESTION);
        if (answer == wxCANCEL)
            return;
        if (answer == wxYES) {
            if (m_services)
                m_services->pushLink(m_chatKey, address.url);
            // The pushed address shows as a link in the operator's own line.
            message = escape_html(text.Left(address.start)) + "<a href=\"" +
                      escape_html(address.url) + "\">" +
                      escape_html(text.Mid(address.start, address.length)) + "</a>" +
                      escape_html(text.Mid(address.start + address.length));
        }
    }

    append_line(fillPlaceholders(_("<font color='#AAAAAA'>You said at %TIME%:</font><br><font "
                                   "color='#0000FF'>%MESSAGE%</font><br>"),
                                 {{"%TIME%", timeNow()}, {"%MESSAGE%", message}}));
    if (m_services)
        m_services->sendChatText(m_chatKey, text);
    m_input->ChangeValue(wxString());
    operator_typing_stopped();
    scroll_to_bottom();
}

bool VisitorChatFrame::confirm_spelling(const wxString& text) {
    if (!m_checkBeforeSending || !m_spellChecker)
        return true;
    const std::vector<wxString> misspelt = m_spellChecker->misspeltWords(text);
    if (misspelt.empty())
        return true;
    wxString words;
    for (const wxString& word : misspelt)
        words += (words.empty() ? "" : ", ") + word;
    // No keeps the line in the input field for the operator to correct.
    return askUser(this,
                   fillPlaceholders(_("These words may be misspelt:%CRLF%%CRLF%%WORDS%%CRLF%%CRLF%"
                                      "Send anyway?"),
                                    {{"%CRLF%", "\r\n"}, {"%WORDS%", words}}),
                   _("Check Spelling"), wxYES_NO | wxICON_QUESTION) == wxYES;
}

void VisitorChatFrame::on_input_changed(wxCommandEvent& event) {
    event.Skip();
    if (m_readOnly || m_chatEnded || m_chatKey.empty())
        return;
    if (!m_operatorTyping) {
        m_operatorTyping = true;
        if (m_services)
            m_services->sendTyping(m_chatKey, true);
    }
    m_typingTimer.StartOnce(kTypingDelayMs);
}

void VisitorChatFrame::operator_typing_stopped() {
    m_typingTimer.Stop();
    if (m_operatorTyping)
        typing_timer_expired();
}

void VisitorChatFrame::typing_timer_expired() {
    m_operatorTyping = false;
    if (!m_chatKey.empty() && m_services)
        m_services->sendTyping(m_chatKey, false);
}

wxString VisitorChatFrame::live_title() const {
    return fillPlaceholders(_("%VISITORNAME% On %WEBSITE% - Visitor Chat"),
                            {{"%VISITORNAME%", m_visitorName}, {"%WEBSITE%", m_webSite}});
}

wxString VisitorChatFrame::new_message_title() const {
    return fillPlaceholders(_("New Chat Message from %VISITORNAME%"),
                            {{"%VISITORNAME%", m_visitorName}});
}

void VisitorChatFrame::set_live_title() {
    SetTitle(live_title());
}

void VisitorChatFrame::flash_tick() {
    if (m_titleFlashing) {
        set_live_title();
        m_titleFlashing = false;
    } else {
        SetTitle(new_message_title());
        m_titleFlashing = true;
    }
}

void VisitorChatFrame::stop_flashing() {
    m_flashTimer.Stop();
    if (m_titleFlashing) {
        set_live_title();
        m_titleFlashing = false;
    }
}

void VisitorChatFrame::on_activate(wxActivateEvent& event) {
    event.Skip();
    // The operator is looking at the window: stop flashing whichever title shows right now
    // (the timer may just have put the live title back; it must still stop).
    if (event.GetActive())
        stop_flashing();
}

void VisitorChatFrame::on_link_clicked(wxHtmlLinkEvent& event) {
    // Not skipped: the transcript never navigates away.
    const wxString href = event.GetLinkInfo().GetHref();
    if (!isWebLink(href))
        return;
    if (openLinkHook)
        openLinkHook(href);
    else
        wxLaunchDefaultBrowser(href);
}

}  // namespace Tavoro::Dialog
