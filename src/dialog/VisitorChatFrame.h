#pragma once

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class wxButton;
class wxHtmlLinkEvent;
class wxSplitterWindow;
class wxTextCtrl;
class wxToolBar;

namespace Tavoro {
class ClientServices;
class TranscriptView;
}  // namespace Tavoro
namespace Tavoro::Messages {
class S_CURRENTCHAT;
class S_MESSAGE;
class S_PREVCHAT;
class S_PREVCHATS;
class S_PREVVISITS;
class S_VISITDETAIL;
}  // namespace Tavoro::Messages

namespace Tavoro::Dialog {

class ResponsePicker;
class SpellChecker;
class VisitDetail;

// One chat with one visitor, in its own top-level window: the conversation as HTML, an input
// row for the operator's lines, a toolbar to leave or close the chat, transfer it, open the
// visitor's earlier chats and block the visitor, and the visitor's visit detail beside the
// transcript once it arrives. The same window shows an earlier chat read-only.
//
// The window never touches the network: the main window feeds it the server messages of its
// chat and it asks for every request through ClientServices. It destroys itself when closed;
// the main window reaches live chats only through its chat window table.
//
// Every value that reaches the transcript (visitor name, visitor and operator lines) is
// HTML-escaped, so a visitor's markup shows as the text it is. Links in the transcript open in
// the desktop's browser and never replace the transcript.
class VisitorChatFrame : public wxFrame {
  public:
    // Window, tool and timer identifiers of this window.
    enum Id : int {
        ID_TOOL_EXIT = wxID_HIGHEST + 100,  // "Exit\nChat"
        ID_TOOL_CLOSE_CHAT,                 // "Exit and\nClose Chat"
        ID_TOOL_TRANSFER,                   // "Transfer To"
        ID_TOOL_PREVIOUS_CHATS,             // "Previous\nChats"
        ID_TOOL_BLOCK,                      // "Block\nVisitor"
        ID_SEND,                            // the "Send" button
        ID_TIMER_FLASH,                     // alternates the title while a line is unread
        ID_TIMER_TYPING,                    // ends the operator's typing notice
        ID_TOOL_RESPONSES,                  // "Responses" (Ctrl+Space)
        ID_TOOL_SAVE_TRANSCRIPT,            // "Save\nTranscript" (Ctrl+S)
        ID_KEY_ESCAPE,                      // Escape: consumed, the chat stays open
    };
    // Ctrl+1 to Ctrl+9 in a chat window ask the main window (the parent) for the menu command
    // of these ids, so the operator switches chats from any chat window.
    static constexpr int ID_SWITCH_CHAT_FIRST = wxID_HIGHEST + 200;
    static constexpr int kSwitchChatKeys = 9;
    // Pop-up menu identifiers. Transfer targets are numbered by their place in the operator
    // list that the menu was built from, so any connection number can be a target.
    static constexpr int ID_TRANSFER_FIRST = 20000;
    static constexpr int ID_TRANSFER_LAST = 29999;
    static constexpr int ID_TRANSFER_NONE = 30000;  // "No Other Operators Available"
    // The toolkit takes menu identifiers below 0x7fff only.
    static constexpr int ID_PREVIOUS_CHAT_FIRST = 31000;
    static constexpr int ID_PREVIOUS_CHAT_LAST = 32766;

    static constexpr int kFlashIntervalMs = 2000;
    static constexpr int kTypingDelayMs = 500;
    // A stored window size outside these bounds is ignored (a damaged settings file).
    static constexpr int kMinStoredSize = 100;
    static constexpr int kMaxStoredSize = 10000;

    // The window's modal prompt and the actions that leave the program go through these hooks
    // so that a test can answer or observe them; when a hook is empty the real thing happens.
    // Shows a message box; returns wxYES, wxNO, wxCANCEL or wxOK.
    static std::function<int(wxWindow* parent, const wxString& text, const wxString& caption,
                             long style)>
        messageBoxHook;
    // Pops a menu up at the mouse position (the choice arrives as a menu event, or through
    // choose_menu_item).
    static std::function<void(wxWindow* window, wxMenu& menu)> popupMenuHook;
    // Opens an address in the desktop's browser; returns whether it was opened.
    static std::function<bool(const wxString& url)> openLinkHook;
    // Runs the canned response picker in place of showing it modally; returns wxID_OK to take
    // its selected response.
    static std::function<int(ResponsePicker& picker)> responsePickerHook;
    // Asks for the file to save the transcript in; empty when the operator cancels.
    static std::function<wxString(wxWindow* parent)> saveFileHook;

    // services: the main window's request services; not owned, must outlive the window.
    VisitorChatFrame(wxWindow* parent, ClientServices* services);
    ~VisitorChatFrame() override;

    // Reads the spelling and text direction options from the settings store and applies them
    // to the input field and the transcript. The window does so when it opens.
    void apply_text_options();
    // apply_text_options in every open chat window, after the options changed.
    static void apply_text_options_everywhere();

    // Makes this the window of a live chat: default chat message in the input field, stored
    // window size, sashes, keys and title.
    void setup_chat(const wxString& chatKey, const wxString& visitorName, const wxString& webSite);
    // Turns a freshly built window into a read-only view of an earlier chat: no input row, no
    // visit detail, only "Exit\nChat" usable.
    void show_previous_chat(std::unique_ptr<Messages::S_PREVCHAT> chat);

    // A visitor's line ("@MESSAGE") of this chat. The server's leave notice ends the chat as
    // show_visitor_left does; a line of another chat is ignored. receivedAtMs, when given, is
    // when its frame was read (a steady clock in milliseconds); lineShownObserver gets it back
    // once the line is in the transcript view.
    void show_message(const Messages::S_MESSAGE& message, long receivedAtMs = -1);
    std::function<void(long receivedAtMs)> lineShownObserver;
    // Appends a visitor's line; while the window is not active, asks for the operator's
    // attention and flashes the title.
    void add_visitor_line(const wxString& text);
    void show_visitor_left();
    // The chat was closed from the main window.
    void show_chat_closed();
    // After the connection came back: the chat is the operator's again (its transcript was
    // just refreshed) and the lines written meanwhile went out now; or it ended while the
    // connection was down, and those lines are shown as not sent.
    void show_reattached(bool stillOurs, const std::vector<wxString>& heldLines);
    // Replaces the transcript with that of a running chat ("@CURRENTCHAT").
    void show_current_chat(const Messages::S_CURRENTCHAT& chat);
    void set_transcript(const wxString& html);
    // The visitor's typing notice ("@1" / "@0") in the status bar.
    void show_typing(bool typing);

    // History replies of this chat's visitor, handed on to the embedded visit detail panel,
    // which takes them over. The first visit detail shows the panel beside the transcript; the
    // first non-empty list of earlier chats also fills the "Previous\nChats" menu.
    void show_visit(std::unique_ptr<Messages::S_VISITDETAIL> visit);
    void show_prev_visits(std::unique_ptr<Messages::S_PREVVISITS> visits);
    void show_prev_chats(std::unique_ptr<Messages::S_PREVCHATS> chats);
    VisitDetail* visit_detail() const { return m_visitDetail; }

    const wxString& chat_key() const { return m_chatKey; }
    const wxString& visitor_name() const { return m_visitorName; }
    const wxString& web_site() const { return m_webSite; }
    // True in a window that shows an earlier chat.
    bool is_read_only() const { return m_readOnly; }
    // True once the visitor left, the chat was closed or the visitor was blocked.
    bool is_chat_ended() const { return m_chatEnded; }
    bool is_title_flashing() const { return m_titleFlashing; }
    bool is_flash_timer_running() const { return m_flashTimer.IsRunning(); }
    bool is_operator_typing() const { return m_operatorTyping; }
    // Identifiers of the earlier chats, in the order of the "Previous\nChats" menu.
    const std::vector<wxString>& previous_chat_ids() const { return m_previousChatIds; }
    wxMenu& previous_chats_menu() { return m_previousChatsMenu; }
    // The transcript as HTML source.
    wxString transcript_html() const;

    wxString live_title() const;
    wxString new_message_title() const;

    // Operator actions (toolbar, button, Enter, pop-up menus).
    void send_line();
    void block_visitor();
    // "Exit and\nClose Chat": closes the chat for good, then the window (which leaves it).
    void close_chat();
    void show_transfer_menu();
    void show_previous_chats_menu();
    // The transfer menu as it would pop up now.
    std::unique_ptr<wxMenu> build_transfer_menu();
    // A choice in one of the window's pop-up menus.
    void choose_menu_item(int id);

    // Keyboard-first chatting (VisitorChatFrameKeys.cpp). Opens the canned responses picker
    // and puts the chosen text, with %NAME%, %OPERATORNAME% and %DOMAIN% filled in, into the
    // input field at the cursor; nothing is sent.
    void open_responses();
    void insert_response(const wxString& text);
    // Saves the transcript: HTML for a name ending in .htm or .html, else plain text.
    bool save_transcript(const wxString& path);
    void ask_save_transcript();

    // Timer handlers.
    void flash_tick();
    void typing_timer_expired();

    // The first web address in an operator's line: an address with a scheme as written, or
    // else a file name with a 3 to 5 character extension, offered on the chat's web site.
    struct Address {
        bool found = false;
        wxString url;       // the address to push
        size_t start = 0;   // where the matched text starts in the line
        size_t length = 0;  // and its length
    };
    static Address find_address(const wxString& line, const wxString& webSite);
    // Text as HTML that shows exactly that text; line breaks become <br>.
    static wxString escape_html(const wxString& text);

  private:
    void build_layout();
    void build_tool_bar();
    void bind_events();
    void add_speed_tools();
    void bind_keys();

    void apply_stored_size();
    void place_sashes();
    void store_size();

    void append_line(const wxString& html);

    // Pending lines wait at most this long for others to join them in one update of the view.
    static constexpr long kLineBatchMs = 10;
    static constexpr int kMaxBatchLines = 20;
    void flush_lines();
    void scroll_to_bottom();
    // A line of the chat window's own, with %TIME% and %NAME% filled in; end_chat also ends it.
    void show_notice(const wxString& lineTemplate);
    void end_chat(const wxString& lineTemplate);
    void set_live_title();
    void stop_flashing();
    void operator_typing_stopped();

    // Before a line is sent, when the option asks for it: lists the line's misspelt words and
    // asks whether to send it anyway. True when the line is to be sent.
    bool confirm_spelling(const wxString& text);

    void on_close(wxCloseEvent& event);
    void on_activate(wxActivateEvent& event);
    void on_input_changed(wxCommandEvent& event);
    void on_link_clicked(wxHtmlLinkEvent& event);
    void on_menu(wxCommandEvent& event);

    ClientServices* m_services;

    wxString m_chatKey;
    wxString m_visitorName;
    wxString m_webSite;
    // Site key of the earlier chats listed in the "Previous\nChats" menu.
    wxString m_previousChatsSite;
    std::vector<wxString> m_previousChatIds;
    // Connection numbers of the operators in the last transfer menu, by menu place.
    std::vector<wxString> m_transferTargets;

    bool m_readOnly = false;
    bool m_chatEnded = false;
    bool m_titleFlashing = false;
    bool m_operatorTyping = false;
    bool m_closing = false;

    wxTimer m_flashTimer;
    wxTimer m_typingTimer;
    wxMenu m_previousChatsMenu;

    wxToolBar* m_toolBar = nullptr;
    wxSplitterWindow* m_outerSplitter = nullptr;
    wxSplitterWindow* m_topSplitter = nullptr;
    wxSplitterWindow* m_bottomSplitter = nullptr;
    TranscriptView* m_transcript = nullptr;
    VisitDetail* m_visitDetail = nullptr;
    wxTextCtrl* m_input = nullptr;
    wxString m_pendingHtml;                 // lines not yet handed to the transcript view
    std::vector<long> m_pendingReceivedAt;  // read times of the visitor lines among them
    long m_lastFlushMs = 0;                 // steady clock of the last update of the view
    int m_pendingLines = 0;
    bool m_flushScheduled = false;
    wxButton* m_sendButton = nullptr;
    // The input's spell checker while either spelling option is on.
    std::unique_ptr<SpellChecker> m_spellChecker;
    bool m_checkBeforeSending = false;
};

}  // namespace Tavoro::Dialog
