// Keyboard-first chatting in the chat window: canned responses (tool and Ctrl+Space), saving
// the transcript (tool and Ctrl+S), Ctrl+1 to Ctrl+9 to switch chats, and Escape, which must
// never end a chat.
#include <wx/accel.h>
#include <wx/ffile.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <vector>

#include "dialog/ResponsePicker.h"
#include "dialog/VisitorChatFrame.h"
#include "settings/CannedResponses.h"
#include "settings/TavoroSettings.h"
#include "tools/Placeholders.h"
#include "widgets/Images.h"
#include "widgets/TranscriptView.h"

namespace Tavoro::Dialog {

std::function<int(ResponsePicker&)> VisitorChatFrame::responsePickerHook;
std::function<wxString(wxWindow*)> VisitorChatFrame::saveFileHook;

void VisitorChatFrame::add_speed_tools() {
    m_toolBar->AddTool(ID_TOOL_RESPONSES, _("Responses"), loadBitmap("Tech Support.ico"),
                       _("Insert a canned response (Ctrl+Space)"));
    m_toolBar->AddTool(ID_TOOL_SAVE_TRANSCRIPT, _("Save\nTranscript"),
                       loadBitmap("History Chat.ico"),
                       _("Save the transcript as plain text or HTML (Ctrl+S)"));
}

void VisitorChatFrame::bind_keys() {
    std::vector<wxAcceleratorEntry> keys = {
        {wxACCEL_CTRL, WXK_SPACE, ID_TOOL_RESPONSES},
        {wxACCEL_CTRL, 'S', ID_TOOL_SAVE_TRANSCRIPT},
        {wxACCEL_NORMAL, WXK_ESCAPE, ID_KEY_ESCAPE},
    };
    for (int i = 0; i < kSwitchChatKeys; ++i)
        keys.emplace_back(wxACCEL_CTRL, '1' + i, ID_SWITCH_CHAT_FIRST + i);
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));

    Bind(
        wxEVT_TOOL, [this](wxCommandEvent&) { open_responses(); }, ID_TOOL_RESPONSES);
    Bind(
        wxEVT_TOOL, [this](wxCommandEvent&) { ask_save_transcript(); }, ID_TOOL_SAVE_TRANSCRIPT);
    // Escape closes dialogs, and an operator presses it out of habit: in a chat it does nothing.
    Bind(
        wxEVT_MENU, [](wxCommandEvent&) {}, ID_KEY_ESCAPE);
    Bind(
        wxEVT_MENU,
        [this](wxCommandEvent& event) {
            if (wxWindow* main = GetParent()) {
                wxCommandEvent forwarded(wxEVT_MENU, event.GetId());
                main->GetEventHandler()->ProcessEvent(forwarded);
            }
        },
        ID_SWITCH_CHAT_FIRST, ID_SWITCH_CHAT_FIRST + kSwitchChatKeys - 1);
}

void VisitorChatFrame::open_responses() {
    if (m_readOnly || m_chatEnded)
        return;
    const wxString file = CannedResponses::fileBeside(getSettings().localFile());
    ResponsePicker picker(this, CannedResponses::choices(CannedResponses::load(file)));
    const int answer = responsePickerHook ? responsePickerHook(picker) : picker.ShowModal();
    if (answer == wxID_OK)
        insert_response(picker.chosen_text());
    m_input->SetFocus();
}

void VisitorChatFrame::insert_response(const wxString& text) {
    if (text.empty() || !m_input->IsEnabled())
        return;
    m_input->WriteText(Tools::fillPlaceholders(
        text, {{"%NAME%", m_visitorName},
               {"%OPERATORNAME%", getSettings().getString(SETTING_OPERATOR_NAME)},
               {"%DOMAIN%", m_webSite}}));
}

bool VisitorChatFrame::save_transcript(const wxString& path) {
    flush_lines();
    const wxString ext = wxFileName(path).GetExt().Lower();
    wxString content;
    if (ext == "htm" || ext == "html") {
        content = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" +
                  escape_html(GetTitle()) + "</title></head><body>\n" + m_transcript->html() +
                  "\n</body></html>\n";
    } else {
        content = m_transcript->ToText();
        if (!content.empty() && !content.EndsWith("\n"))
            content += "\n";
    }
    wxFFile out(path, "w");
    return out.IsOpened() && out.Write(content, wxConvUTF8) && out.Close();
}

void VisitorChatFrame::ask_save_transcript() {
    wxString path;
    if (saveFileHook) {
        path = saveFileHook(this);
    } else {
        wxFileDialog chooser(this, _("Save Transcript"), wxString(), m_visitorName + ".txt",
                             _("Plain text (*.txt)|*.txt|HTML (*.html)|*.html"),
                             wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
        if (chooser.ShowModal() != wxID_OK)
            return;
        path = chooser.GetPath();
        // The type chosen in the dialog decides when the name does not.
        const wxString ext = wxFileName(path).GetExt().Lower();
        if (ext != "txt" && ext != "htm" && ext != "html")
            path += chooser.GetFilterIndex() == 1 ? ".html" : ".txt";
    }
    if (path.empty())
        return;
    if (!save_transcript(path)) {
        const wxString text = wxString::Format(_("The transcript could not be saved to %s."), path);
        if (messageBoxHook)
            messageBoxHook(this, text, _("Save Transcript"), wxOK | wxICON_ERROR);
        else
            wxMessageBox(text, _("Save Transcript"), wxOK | wxICON_ERROR, this);
    }
}

}  // namespace Tavoro::Dialog
