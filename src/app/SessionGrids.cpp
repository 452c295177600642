#include "app/SessionGrids.h"

#include <wx/grid.h>
#include <wx/toolbar.h>
#include <wx/translation.h>

#include "app/ClientIds.h"
#include "session/OperatorSession.h"
#include "tools/Placeholders.h"
#include "widgets/Images.h"

namespace Tavoro::SessionGrids {

namespace {

// The labels are marked with wxTRANSLATE so that the catalog extraction sees them.
void labelColumns(wxGrid* grid, std::initializer_list<const char*> labels) {
    int col = 0;
    for (const char* label : labels)
        grid->SetColLabelValue(col++, wxGetTranslation(label));
    // Size to the labels only: the grids are empty at this point.
    for (int c = 0; c < grid->GetNumberCols(); ++c)
        grid->AutoSizeColLabelSize(c);
}

// Makes the grid's row count equal to count, adding or taking rows at the top.
void resizeRows(wxGrid* grid, int count) {
    const int rows = grid->GetNumberRows();
    if (rows > count)
        grid->DeleteRows(0, rows - count);
    else if (rows < count)
        grid->InsertRows(0, count - rows);
}

}  // namespace

wxGrid* makeGrid(wxWindow* parent, const wxString& name, int cols) {
    auto* grid =
        new wxGrid(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS, name);
    grid->CreateGrid(0, cols);
    return grid;
}

void labelGrids(wxGrid* operators, wxGrid* chatting, wxGrid* callbacks) {
    labelColumns(operators, {wxTRANSLATE("ID#"), wxTRANSLATE("IP"), wxTRANSLATE("Name"),
                             wxTRANSLATE("Department"), wxTRANSLATE("Status"),
                             wxTRANSLATE("Language"), wxTRANSLATE("Username")});
    labelColumns(chatting,
                 {wxTRANSLATE("ID#"), wxTRANSLATE("Name"), wxTRANSLATE("Domain"),
                  wxTRANSLATE("Last Activity"), wxTRANSLATE("Talking To"), wxTRANSLATE("Language"),
                  wxTRANSLATE("Translating"), wxTRANSLATE("Department"),
                  wxTRANSLATE("Monitored By"), wxTRANSLATE("IP Address")});
    labelColumns(callbacks, {wxTRANSLATE("Name"), wxTRANSLATE("Company"), wxTRANSLATE("On Site"),
                             wxTRANSLATE("Telephone"), wxTRANSLATE("Type"),
                             wxTRANSLATE("Requested Time"), wxTRANSLATE("Time Zone"),
                             wxTRANSLATE("Requested Department"), wxTRANSLATE("Requested Operator"),
                             wxTRANSLATE("Talking To"), wxTRANSLATE("Notes")});
    operators->EnableEditing(false);
    chatting->EnableEditing(false);
}

void showChats(wxGrid* grid, const Session::OperatorSession& session) {
    const std::vector<Types::VisitorChatType>& chats = session.chats();
    if (chats.empty()) {
        if (grid->GetNumberRows() > 0)
            grid->DeleteRows(0, grid->GetNumberRows());
        return;
    }
    grid->BeginBatch();
    resizeRows(grid, static_cast<int>(chats.size()));
    int row = 0;
    for (const auto& r : chats) {
        const wxString cells[CHAT_COLUMNS] = {r.id,
                                              r.name,
                                              r.domain,
                                              r.lastActivity,
                                              session.operatorName(r.talkingTo),
                                              r.language,
                                              r.translating,
                                              r.department,
                                              session.operatorName(r.monitoredBy),
                                              r.ipAddress};
        for (int col = 0; col < CHAT_COLUMNS; ++col)
            grid->SetCellValue(row, col, cells[col]);
        ++row;
    }
    grid->EndBatch();
    grid->AutoSizeColumns(false);
}

wxString showOperators(wxGrid* grid, const Session::OperatorSession& session) {
    static const std::vector<Types::ClientType> kNobody;
    const Messages::S_CLIENTS* operators = session.operators();
    const std::vector<Types::ClientType>& list = operators ? operators->operators() : kNobody;
    grid->BeginBatch();
    resizeRows(grid, static_cast<int>(list.size()));
    int row = 0;
    for (const auto& op : list) {
        const wxString cells[] = {op.connection, op.ipAddress, op.name,    op.department,
                                  op.statusText, op.language,  op.username};
        for (int col = 0; col < OPERATOR_COLUMNS; ++col)
            grid->SetCellValue(row, col, cells[col]);
        ++row;
    }
    grid->AutoSizeColumns(false);
    grid->EndBatch();
    return Tools::fillPlaceholders(_("Connected Users %NUMBER%"),
                                   {{"%NUMBER%", wxString::Format("%d", row)}});
}

wxString statusIconFile(Types::OperatorStatus status) {
    switch (status) {
        case Types::OperatorStatus::Online:
            return "Tech Support.ico";
        case Types::OperatorStatus::Busy:
            return "Tech Support Restricted.ico";
        case Types::OperatorStatus::BeRightBack:
            return "Tech Support Progress.ico";
        case Types::OperatorStatus::Away:
            return "Tech Support Delete.ico";
    }
    return "Tech Support.ico";
}

void buildToolBar(wxToolBar* toolBar, Types::OperatorStatus defaultStatus) {
    struct Tool {
        int id;
        const char* label;
        const char* shortHelp;
        const char* longHelp;
    };
    const Tool statusTools[] = {
        {ID_TOOL_ONLINE, wxTRANSLATE("Online"), wxTRANSLATE("Set Status: Online"),
         wxTRANSLATE("Sets your status to Online - visitors will be able to chat to you.")},
        {ID_TOOL_BUSY, wxTRANSLATE("Busy"), wxTRANSLATE("Set Status: Busy"),
         wxTRANSLATE("Sets your status to Busy - visitors will not be able to chat to you.")},
        {ID_TOOL_BRB, wxTRANSLATE("Be Right Back"), wxTRANSLATE("Set Status: Be Right Back"),
         wxTRANSLATE(
             "Sets your status to Be Right Back - visitors will not be able to chat to you.")},
        {ID_TOOL_AWAY, wxTRANSLATE("Away"), wxTRANSLATE("Set Status: Away"),
         wxTRANSLATE("Sets your status to Away - visitors will not be able to chat to you.")},
    };
    for (const Tool& t : statusTools) {
        toolBar->AddRadioTool(t.id, wxGetTranslation(t.label),
                              loadBitmap(statusIconFile(*statusOfTool(t.id))), wxNullBitmap,
                              wxGetTranslation(t.shortHelp), wxGetTranslation(t.longHelp));
    }
    toolBar->AddSeparator();
    toolBar->AddTool(ID_TOOL_SITE_PROPERTIES, _("Site Properties"),
                     loadBitmap("Settings Global 1.ico"), wxNullBitmap, wxITEM_NORMAL,
                     _("View Site Properties"),
                     _("Opens the Site Properties window for the selected site."));
    toolBar->Realize();
    toolBar->ToggleTool(statusToolOf(defaultStatus), true);
}

Types::OperatorStatus selectedStatus(const wxToolBar* toolBar) {
    for (int number = 0; number < Types::kOperatorStatusCount; ++number) {
        const Types::OperatorStatus status = Types::operatorStatusOr(number, {});
        if (toolBar->GetToolState(statusToolOf(status)))
            return status;
    }
    return Types::OperatorStatus::Online;
}

}  // namespace Tavoro::SessionGrids
