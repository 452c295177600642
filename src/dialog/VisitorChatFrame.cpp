#include "dialog/VisitorChatFrame.h"

#include <wx/button.h>
#include <wx/html/htmlwin.h>
#include <wx/intl.h>
#include <wx/splitter.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include "dialog/SpellChecking.h"
#include "dialog/VisitDetail.h"
#include "messages/S_PREVCHAT.h"
#include "settings/TavoroSettings.h"
#include "tools/Placeholders.h"
#include "widgets/ClientServices.h"
#include "widgets/Images.h"
#include "widgets/QuietStatusBar.h"
#include "widgets/TranscriptView.h"

namespace Tavoro::Dialog {
namespace {

using Tools::fillPlaceholders;

// Size of a chat window that has no stored size yet.
const wxSize kDefaultSize(640, 480);
// Height of the input row from the bottom edge: small windows get a single text line.
constexpr int kSmallWindowHeight = 241;
constexpr int kInputRowSmall = -30;
constexpr int kInputRowNormal = -60;
// Width of the "Send" button from the right edge.
constexpr int kSendButtonWidth = -70;

// A stored dimension, or -1 when it is missing or could not be a window's size.
int storedDimension(const TavoroSettings& settings, int id) {
    const long value = settings.getInt(id);
    if (value < VisitorChatFrame::kMinStoredSize || value > VisitorChatFrame::kMaxStoredSize)
        return -1;
    return static_cast<int>(value);
}

}  // namespace

std::function<int(wxWindow*, const wxString&, const wxString&, long)>
    VisitorChatFrame::messageBoxHook;
std::function<void(wxWindow*, wxMenu&)> VisitorChatFrame::popupMenuHook;
std::function<bool(const wxString&)> VisitorChatFrame::openLinkHook;

VisitorChatFrame::VisitorChatFrame(wxWindow* parent, ClientServices* services)
    : wxFrame(parent, wxID_ANY, wxString(), wxDefaultPosition, kDefaultSize,
              wxDEFAULT_FRAME_STYLE | wxWANTS_CHARS, "VisitorChatFrame"),
      m_services(services),
      m_flashTimer(this, ID_TIMER_FLASH),
      m_typingTimer(this, ID_TIMER_TYPING) {
    build_tool_bar();
    build_layout();
    bind_events();
    bind_keys();
    apply_text_options();
    m_input->SetFocus();
    // Tells the server once, shortly after the window opens, that the operator is not typing.
    m_typingTimer.StartOnce(kTypingDelayMs);
}

VisitorChatFrame::~VisitorChatFrame() {
    m_flashTimer.Stop();
    m_typingTimer.Stop();
}

void VisitorChatFrame::build_tool_bar() {
    m_toolBar = CreateToolBar(wxTB_HORIZONTAL | wxTB_TEXT, wxID_ANY, "ID_TOOLBAR_CHAT");
    m_toolBar->AddTool(ID_TOOL_EXIT, _("Exit\nChat"), loadBitmap("Exit.ico"), _("Leave the chat"));
    m_toolBar->AddTool(ID_TOOL_CLOSE_CHAT, _("Exit and\nClose Chat"), loadBitmap("Logout.ico"),
                       _("Close the chat for good"));
    m_toolBar->AddTool(ID_TOOL_TRANSFER, _("Transfer To"),
                       loadBitmap("Tech Support Chat Transfer.ico"),
                       _("Transfer the chat to another operator"));
    m_toolBar->AddTool(ID_TOOL_PREVIOUS_CHATS, _("Previous\nChats"), loadBitmap("History Chat.ico"),
                       _("Open an earlier chat of this visitor"));
    m_toolBar->AddTool(ID_TOOL_BLOCK, _("Block\nVisitor"), loadBitmap("block-visitor.ico"),
                       _("Block this visitor"));
    add_speed_tools();
    m_toolBar->Realize();
}

void VisitorChatFrame::build_layout() {
    m_outerSplitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                           wxSP_3D | wxSP_LIVE_UPDATE, "ID_SPLITTERWINDOW2");
    m_outerSplitter->SetMinimumPaneSize(10);
    m_outerSplitter->SetSashGravity(1.0);

    // Top: the transcript, and the visit detail once a visit arrives.
    m_topSplitter =
        new wxSplitterWindow(m_outerSplitter, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxSP_3D | wxSP_LIVE_UPDATE, "ID_SPLITTERWINDOW1");
    m_topSplitter->SetMinimumPaneSize(0);
    m_topSplitter->SetSashGravity(0.5);
    m_transcript = new TranscriptView(m_topSplitter, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxHW_SCROLLBAR_AUTO, "ID_HTMLWINDOW1");
    m_visitDetail = new VisitDetail(m_topSplitter, m_services);
    m_topSplitter->SplitVertically(m_transcript, m_visitDetail);
    m_topSplitter->Unsplit(m_visitDetail);

    // Bottom: the input field and the "Send" button.
    m_bottomSplitter =
        new wxSplitterWindow(m_outerSplitter, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                             wxSP_3D | wxSP_LIVE_UPDATE, "ID_SPLITTERWINDOW3");
    m_bottomSplitter->SetMinimumPaneSize(10);
    m_bottomSplitter->SetSashGravity(1.0);
    m_input =
        new wxTextCtrl(m_bottomSplitter, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                       wxTE_MULTILINE | wxTE_PROCESS_ENTER, wxDefaultValidator, "ID_TEXTCTRL1");
    m_sendButton = new wxButton(m_bottomSplitter, ID_SEND, _("Send"), wxDefaultPosition,
                                wxDefaultSize, 0, wxDefaultValidator, "ID_SEND");
    m_bottomSplitter->SplitVertically(m_input, m_sendButton, kSendButtonWidth);

    m_outerSplitter->SplitHorizontally(m_topSplitter, m_bottomSplitter, kInputRowNormal);

    // The visitor's typing notices change its text twice per line; see QuietStatusBar.
    SetStatusBar(new QuietStatusBar(this, wxID_ANY, wxSTB_DEFAULT_STYLE, "ID_STATUSBAR1"));
    place_sashes();
}

void VisitorChatFrame::bind_events() {
    // clang-format off
    Bind(wxEVT_CLOSE_WINDOW, &VisitorChatFrame::on_close, this);
    Bind(wxEVT_ACTIVATE,     &VisitorChatFrame::on_activate, this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { flash_tick(); },           ID_TIMER_FLASH);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { typing_timer_expired(); }, ID_TIMER_TYPING);

    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { Close(); },                   ID_TOOL_EXIT);
    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { close_chat(); },              ID_TOOL_CLOSE_CHAT);
    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { show_transfer_menu(); },      ID_TOOL_TRANSFER);
    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { show_previous_chats_menu(); }, ID_TOOL_PREVIOUS_CHATS);
    Bind(wxEVT_TOOL, [this](wxCommandEvent&) { block_visitor(); },           ID_TOOL_BLOCK);
    // The pop-up menus' items, after the tools' own identifiers.
    Bind(wxEVT_MENU, &VisitorChatFrame::on_menu, this, ID_TRANSFER_FIRST, ID_PREVIOUS_CHAT_LAST);

    m_sendButton->Bind(wxEVT_BUTTON,     [this](wxCommandEvent&) { send_line(); m_input->SetFocus(); });
    m_input->Bind(wxEVT_TEXT_ENTER,      [this](wxCommandEvent&) { send_line(); });
    m_input->Bind(wxEVT_TEXT,            &VisitorChatFrame::on_input_changed, this);
    m_transcript->Bind(wxEVT_HTML_LINK_CLICKED, &VisitorChatFrame::on_link_clicked, this);
    // clang-format on
}

void VisitorChatFrame::setup_chat(const wxString& chatKey, const wxString& visitorName,
                                  const wxString& webSite) {
    TavoroSettings& settings = getSettings();
    const wxString greeting = fillPlaceholders(
        settings.getString(SETTING_DEFAULT_CHAT_MESSAGE),
        {{"%NAME%", visitorName}, {"%MYNAME%", settings.getString(SETTING_OPERATOR_NAME)}});
    // ChangeValue: putting the greeting in is not the operator typing.
    m_input->ChangeValue(greeting);
    m_input->SetInsertionPointEnd();

    apply_stored_size();
    place_sashes();

    m_chatKey = chatKey;
    m_visitorName = visitorName;
    m_webSite = webSite;
    set_live_title();
}

void VisitorChatFrame::show_previous_chat(std::unique_ptr<Messages::S_PREVCHAT> chat) {
    apply_stored_size();
    place_sashes();

    m_readOnly = true;
    m_chatKey.clear();
    m_typingTimer.Stop();
    if (chat) {
        m_visitorName = chat->visitorName();
        m_webSite = m_services ? m_services->siteDomain(chat->site()) : wxString();
        if (m_webSite.empty())
            m_webSite = _("Unknown Domain");
        SetTitle(fillPlaceholders(_("%VISITORNAME% On %WEBSITE% - Visitor at %DATETIME%"),
                                  {{"%VISITORNAME%", m_visitorName},
                                   {"%WEBSITE%", m_webSite},
                                   {"%DATETIME%", chat->text0()}}));
        set_transcript(chat->transcriptHtml());
    }

    if (m_topSplitter->IsSplit())
        m_topSplitter->Unsplit(m_visitDetail);
    if (m_outerSplitter->IsSplit())
        m_outerSplitter->Unsplit(m_bottomSplitter);
    m_toolBar->EnableTool(ID_TOOL_TRANSFER, false);
    m_toolBar->EnableTool(ID_TOOL_CLOSE_CHAT, false);
    m_toolBar->EnableTool(ID_TOOL_PREVIOUS_CHATS, false);
    m_toolBar->EnableTool(ID_TOOL_BLOCK, false);
    m_toolBar->EnableTool(ID_TOOL_RESPONSES, false);
}

void VisitorChatFrame::apply_stored_size() {
    const TavoroSettings& settings = getSettings();
    if (!settings.exists(SETTING_CHAT_FRAME_WIDTH))
        return;
    const int width = storedDimension(settings, SETTING_CHAT_FRAME_WIDTH);
    const int height = storedDimension(settings, SETTING_CHAT_FRAME_HEIGHT);
    // -1 keeps that dimension as it is.
    SetSize(-1, -1, width, height, wxSIZE_USE_EXISTING);
}

void VisitorChatFrame::place_sashes() {
    // Lay the splitters out for the current window size first, so that positions counted from
    // the bottom and right edges refer to the real size.
    SendSizeEvent();
    m_outerSplitter->SetSashPosition(GetSize().GetHeight() < kSmallWindowHeight ? kInputRowSmall
                                                                                : kInputRowNormal);
    m_bottomSplitter->SetSashPosition(kSendButtonWidth);
}

void VisitorChatFrame::store_size() {
    TavoroSettings& settings = getSettings();
    const wxSize size = GetSize();
    settings.setInt(SETTING_CHAT_FRAME_HEIGHT, size.GetHeight());
    settings.setInt(SETTING_CHAT_FRAME_WIDTH, size.GetWidth());
}

void VisitorChatFrame::on_close(wxCloseEvent& event) {
    (void)event;
    if (m_closing)
        return;  // already on its way out; leave the chat only once
    m_closing = true;
    m_flashTimer.Stop();
    m_typingTimer.Stop();
    if (!m_chatKey.empty() && m_services)
        m_services->leaveChat(m_chatKey);
    store_size();
    Destroy();
}

}  // namespace Tavoro::Dialog
