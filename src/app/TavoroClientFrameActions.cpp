// Menu and toolbar actions of the main window, and its closing.
#include <wx/toolbar.h>

#include "app/ClientIds.h"
#include "app/TavoroClientFrame.h"
#include "app/UiPrompts.h"
#include "dialog/AboutDialog.h"
#include "dialog/VisitDetail.h"
#include "messages/TavoroMessage.h"
#include "settings/TavoroSettings.h"
#include "widgets/VisitorGrid.h"

#include <wx/splitter.h>

namespace Tavoro {

void TavoroClientFrame::onClose(wxCloseEvent&) {
    if (m_connected) {
        sendToServer("@CLOSE");
        m_connected = false;
    }
    Destroy();
}

void TavoroClientFrame::onQuit(wxCommandEvent&) {
    stopConnection();
    Close();
}

void TavoroClientFrame::onReconnect(wxCommandEvent&) {
    reconnect();
}

void TavoroClientFrame::onOptions(wxCommandEvent&) {
    UiPrompts::showOptions(this);
}

void TavoroClientFrame::onAbout(wxCommandEvent&) {
    Dialog::AboutDialog about(this, 1);
    about.ShowModal();
}

void TavoroClientFrame::onHideVisitDetail(wxCommandEvent&) {
    if (m_splitter3->IsSplit()) {
        m_settings.setInt(SETTING_VISITORS_SASH, m_splitter3->GetSashPosition());
        m_splitter3->Unsplit(m_visitDetail);
    }
}

void TavoroClientFrame::setStatus(int code) {
    sendToServer(
        Messages::TavoroMessage(Messages::MK_STATUS, wxString::Format("%d", code)).toText());
}

void TavoroClientFrame::onStatusTool(wxCommandEvent& event) {
    setStatus(event.GetId() - ID_TOOL_ONLINE);
}

void TavoroClientFrame::onStatusToolRightClick(wxCommandEvent& event) {
    m_rightClickedStatusTool = event.GetId();
    PopupMenu(&m_statusMenu, ScreenToClient(wxGetMousePosition()));
}

void TavoroClientFrame::onSetDefaultStatus(wxCommandEvent&) {
    if (m_rightClickedStatusTool >= ID_TOOL_ONLINE && m_rightClickedStatusTool <= ID_TOOL_AWAY) {
        m_settings.setInt(SETTING_DEFAULT_STATUS, m_rightClickedStatusTool - ID_TOOL_ONLINE);
    }
}

}  // namespace Tavoro
