#include "dialog/SettingsDialog.h"

#include <wx/artprov.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <algorithm>

#include "dialog/CannedResponsesPage.h"
#include "dialog/SettingsControls.h"
#include "dialog/SpellChecking.h"
#include "dialog/VisitorChatFrame.h"
#include "messages/C_TRANSFER.h"
#include "settings/LoginSettings.h"
#include "settings/TavoroSettings.h"
#include "widgets/Notifications.h"

namespace Tavoro::Dialog {
namespace {

constexpr int kMinPort = 1;
constexpr int kMaxPort = 65535;

// Range of the Busy, Log Off and Away spin boxes.
constexpr int kLinkedMin = 0;
constexpr int kLinkedMax = 100;

// Text boxes, in the order they are loaded and saved.
const int kTextOrder[] = {
    SETTING_AUTHENTICATION_STRING,
    SETTING_SERVER_DNS_IP,
    SETTING_CALLBACK_SOUND_PATH,
    SETTING_CHAT_REQUEST_SOUND_PATH,
    SETTING_CHAT_TRANSFER_MESSAGE,
    SETTING_DEPARTMENT_NAME,
    SETTING_OPERATOR_NAME,
    SETTING_PASSWORD,
    SETTING_PROSPECT_SOUND_PATH,
    SETTING_DEFAULT_CHAT_MESSAGE,
    SETTING_SMS_NUMBER,
    SETTING_USERNAME,
    SETTING_NEW_VISITOR_SOUND_PATH,
    SETTING_TLS_CA_FILE,
    SETTING_TLS_PIN_SHA256,
};

// Check boxes (ids 5 to 14, and TLS); a missing key shows TavoroSettings::boolWhenMissing.
const int kCheckOrder[] = {
    SETTING_ALWAYS_ASK_FOR_PASSWORD,
    SETTING_AUTO_CHECK_SPELLING,
    SETTING_CONFIRM_CLOSE_CLIENT,
    SETTING_ELAPSED_TIME,
    SETTING_HIDE_CLIENT_ON_STARTUP,
    SETTING_LEAVE_CHAT_ON_SCREEN,
    SETTING_POPUP_FOR_EXCEPTIONS,
    SETTING_POPUP_FOR_NEW_VISITORS,
    SETTING_RIGHT_TO_LEFT_TEXT,
    SETTING_CHECK_SPELLING_AS_YOU_TYPE,
    SETTING_USE_TLS,
};

// What the dialog says about where the password is kept.
wxString passwordPlaceText(PasswordPlace place) {
    switch (place) {
        case PasswordPlace::Keeper:
            return _("The password is kept in the desktop's keyring.");
        case PasswordPlace::SettingsFile:
            return _(
                "No keyring answers: the password is kept in the settings file, readable "
                "only by you.");
        case PasswordPlace::Nowhere:
            break;
    }
    return _("The password is not kept: it is asked for at every logon.");
}

// Combo boxes; the dictionary choice has no key of its own and lands under "Unknown". It shows
// the installed dictionaries by name and stores the chosen one's code.
const int kComboOrder[] = {SETTING_UNKNOWN, SETTING_POPUP_DISPLAY_STYLE, SETTING_LANGUAGE,
                           SETTING_POPUP_STYLE};

// Linked spin boxes in the order they are saved.
const int kLinkedSaveOrder[] = {SETTING_CHATS_BEFORE_AUTO_BUSY,
                                SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF,
                                SETTING_MINUTES_TO_LOG_OFF_AFTER};
// ... and loaded.
const int kLinkedLoadOrder[] = {SETTING_MINUTES_TO_LOG_OFF_AFTER,
                                SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF,
                                SETTING_CHATS_BEFORE_AUTO_BUSY};

constexpr int kBorder = 5;

// A label beside a control (grid or row) or above one (column).
wxStaticText* addLabel(wxWindow* parent, wxSizer* sizer, const wxString& label,
                       int flags = wxALIGN_CENTER_VERTICAL | wxALL) {
    auto* text = new wxStaticText(parent, wxID_ANY, label);
    sizer->Add(text, 0, flags, kBorder);
    return text;
}

wxFlexGridSizer* newFormGrid(int columns) {
    auto* grid = new wxFlexGridSizer(columns, kBorder, kBorder);
    grid->AddGrowableCol(1, 1);
    return grid;
}

}  // namespace

SettingsDialog::SettingsDialog(wxWindow* parent, TavoroSettings& settings)
    : wxDialog(parent, wxID_ANY, _("Tavoro Client Options"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "ID_SETTINGSDIALOG"),
      m_settings(settings) {
    m_notebook = new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "ID_NOTEBOOK");
    m_notebook->AddPage(buildGeneralPage(m_notebook), _("General"), true);
    m_notebook->AddPage(buildOptionsPage(m_notebook), _("Options"));
    m_notebook->AddPage(buildPopupsPage(m_notebook), _("Popups"));
    m_notebook->AddPage(buildSpellingPage(m_notebook), _("Spelling"));
    m_notebook->AddPage(buildCannedResponsesPage(m_notebook), _("Canned Responses"));

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(m_notebook, 1, wxEXPAND | wxALL, kBorder);
    top->Add(buildButtons(), 0, wxEXPAND | wxALL, kBorder);
    SetSizerAndFit(top);

    m_fileChooser = new wxFileDialog(this, _("Select file"), wxString(), wxString(), "*.wav;*.mp3",
                                     wxFD_OPEN | wxFD_FILE_MUST_EXIST);

    // Help has no content: the button is consumed here so nothing else reacts to it.
    // clang-format off
    Bind(wxEVT_BUTTON, &SettingsDialog::onOk,     this, wxID_OK);
    Bind(wxEVT_BUTTON, &SettingsDialog::onCancel, this, wxID_CANCEL);
    Bind(wxEVT_BUTTON, [](wxCommandEvent&) {},          wxID_HELP);
    // clang-format on

    loadSettings();
    describePopupStyles();
    CentreOnParent();
}

SettingsDialog::~SettingsDialog() = default;

// ---- Pages --------------------------------------------------------------------------------

wxWindow* SettingsDialog::buildGeneralPage(wxNotebook* book) {
    auto* page = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                             "ID_GENERAL_PAGE");
    auto* column = new wxBoxSizer(wxVERTICAL);

    auto* serverBox = new wxStaticBoxSizer(wxVERTICAL, page, _("Tavoro - Server"));
    wxWindow* server = serverBox->GetStaticBox();
    server->SetName("ID_SERVER_BOX");
    auto* serverGrid = newFormGrid(2);
    addText(server, serverGrid, _("DNS Name or IP Address:"), SETTING_SERVER_DNS_IP,
            "ID_SERVER_DNS_IP");
    addLabel(server, serverGrid, _("Port Number:"));
    m_port =
        new wxSpinCtrl(server, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                       wxSP_ARROW_KEYS, kMinPort, kMaxPort, kDefaultServerPort, "ID_PORT_NUMBER");
    serverGrid->Add(m_port, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    addText(server, serverGrid, _("Authentication String:"), SETTING_AUTHENTICATION_STRING,
            "ID_AUTHENTICATION_STRING");
    serverBox->Add(serverGrid, 0, wxEXPAND);
    column->Add(serverBox, 0, wxEXPAND | wxALL, kBorder);

    auto* detailsBox = new wxStaticBoxSizer(wxVERTICAL, page, _("My Details"));
    wxWindow* details = detailsBox->GetStaticBox();
    details->SetName("ID_DETAILS_BOX");
    auto* detailsGrid = newFormGrid(2);
    addText(details, detailsGrid, _("User Name:"), SETTING_USERNAME, "ID_USERNAME");
    addText(details, detailsGrid, _("Password:"), SETTING_PASSWORD, "ID_PASSWORD", wxTE_PASSWORD);
    addText(details, detailsGrid, _("Display Name:"), SETTING_OPERATOR_NAME, "ID_OPERATOR_NAME");
    addText(details, detailsGrid, _("Department:"), SETTING_DEPARTMENT_NAME, "ID_DEPARTMENT_NAME");
    // No SMS service stands behind this client: the number is kept, not used, and the box
    // says so rather than pretending.
    wxTextCtrl* sms =
        addText(details, detailsGrid, _("SMS Number:"), SETTING_SMS_NUMBER, "ID_SMS_NUMBER");
    sms->Disable();
    sms->SetToolTip(_("Not used: this client has no SMS service. The number is kept as it is."));
    addCombo(details, detailsGrid, _("My Language:"), SETTING_LANGUAGE, "ID_LANGUAGE", {});
    detailsBox->Add(detailsGrid, 0, wxEXPAND);
    m_passwordPlace =
        new wxStaticText(details, wxID_ANY, passwordPlaceText(passwordPlaceOf(m_settings)),
                         wxDefaultPosition, wxDefaultSize, 0, "ID_PASSWORD_PLACE");
    detailsBox->Add(m_passwordPlace, 0, wxALL, kBorder);
    column->Add(detailsBox, 0, wxEXPAND | wxALL, kBorder);

    // The connection wrapped in TLS, for a server behind a TLS terminator.
    auto* securityBox = new wxStaticBoxSizer(wxVERTICAL, page, _("Connection Security"));
    wxWindow* security = securityBox->GetStaticBox();
    security->SetName("ID_SECURITY_BOX");
    addCheckBox(security, securityBox, _("Use TLS"), SETTING_USE_TLS, "ID_USE_TLS");
    auto* securityGrid = newFormGrid(2);
    wxTextCtrl* caFile = addText(security, securityGrid, _("CA File (empty: the system's):"),
                                 SETTING_TLS_CA_FILE, "ID_TLS_CA_FILE");
    caFile->SetToolTip(
        _("PEM file of the certificate authorities the server's certificate must "
          "lead to. Empty: the system's trusted authorities."));
    wxTextCtrl* pin = addText(security, securityGrid, _("Pinned Certificate (SHA-256):"),
                              SETTING_TLS_PIN_SHA256, "ID_TLS_PIN_SHA256");
    pin->SetToolTip(
        _("The SHA-256 fingerprint of the server's certificate. When set, only that "
          "certificate is accepted, and the authorities and host name are not checked."));
    securityBox->Add(securityGrid, 0, wxEXPAND);
    column->Add(securityBox, 0, wxEXPAND | wxALL, kBorder);

    page->SetSizer(column);
    return page;
}

wxWindow* SettingsDialog::buildOptionsPage(wxNotebook* book) {
    auto* page = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                             "ID_OPTIONS_PAGE");
    auto* column = new wxBoxSizer(wxVERTICAL);

    addCheckBox(page, column, _("Hide On Startup"), SETTING_HIDE_CLIENT_ON_STARTUP,
                "ID_HIDE_ON_STARTUP");
    addLinkedSpin(page, column, _("Mark me as Busy when I'm chatting to "), _("visitors"),
                  SETTING_CHATS_BEFORE_AUTO_BUSY, "ID_BUSY", 3, 2);
    addCheckBox(page, column, _("Show Elapsed Time On Current Visitors List"), SETTING_ELAPSED_TIME,
                "ID_ELAPSED_TIME");
    addCheckBox(page, column, _("Use Right To Left Text When Chatting"), SETTING_RIGHT_TO_LEFT_TEXT,
                "ID_RIGHT_TO_LEFT");
    addLinkedSpin(page, column, _("Automatically Log Off if inactive for"), _("minutes"),
                  SETTING_MINUTES_INACTIVE_UNTIL_LOGOFF, "ID_LOG_OFF", 60, 60);
    addLinkedSpin(page, column, _("Mark me as Away if I'm inactive for "), _("minutes"),
                  SETTING_MINUTES_TO_LOG_OFF_AFTER, "ID_AWAY", 10, 10);
    addCheckBox(page, column, _("Always Ask For Password When Starting"),
                SETTING_ALWAYS_ASK_FOR_PASSWORD, "ID_ASK_PASSWORD");
    addCheckBox(page, column, _("Ask For Confirmation On Exit"), SETTING_CONFIRM_CLOSE_CLIENT,
                "ID_CONFIRM_EXIT");

    const wxSize messageSize(-1, 60);
    addLabel(page, column, _("Default Message When Starting A New Chat:"), wxALL);
    auto* chatMessage =
        new wxTextCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition, messageSize,
                       wxTE_MULTILINE, wxDefaultValidator, "ID_DEFAULT_CHAT_MESSAGE");
    column->Add(chatMessage, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, kBorder);
    m_texts[SETTING_DEFAULT_CHAT_MESSAGE] = chatMessage;

    addLabel(page, column, _("Default Message For Chat Transfers:"), wxALL);
    auto* transferMessage =
        new wxTextCtrl(page, wxID_ANY, wxEmptyString, wxDefaultPosition, messageSize,
                       wxTE_MULTILINE, wxDefaultValidator, "ID_CHAT_TRANSFER_MESSAGE");
    column->Add(transferMessage, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, kBorder);
    m_texts[SETTING_CHAT_TRANSFER_MESSAGE] = transferMessage;

    page->SetSizer(column);
    return page;
}

wxWindow* SettingsDialog::buildPopupsPage(wxNotebook* book) {
    auto* page = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                             "ID_POPUPS_PAGE");
    auto* column = new wxBoxSizer(wxVERTICAL);

    // The items are the values stored in the settings file, so they are not translated; the
    // text beside each box says what the chosen one means.
    const std::vector<wxString> styles = {"One", "Two", "Three"};
    auto* styleGrid = newFormGrid(3);
    wxComboBox* popupStyle =
        addCombo(page, styleGrid, _("Popup Style:"), SETTING_POPUP_STYLE, "ID_POPUP_STYLE", styles);
    m_popupStyleMeaning = new wxStaticText(page, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                           wxDefaultSize, 0, "ID_POPUP_STYLE_MEANING");
    styleGrid->Add(m_popupStyleMeaning, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    wxComboBox* displayStyle = addCombo(page, styleGrid, _("Display Style:"),
                                        SETTING_POPUP_DISPLAY_STYLE, "ID_DISPLAY_STYLE", styles);
    m_displayStyleMeaning = new wxStaticText(page, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                             wxDefaultSize, 0, "ID_DISPLAY_STYLE_MEANING");
    styleGrid->Add(m_displayStyleMeaning, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    popupStyle->SetToolTip(_("Which desktop notices appear"));
    displayStyle->SetToolTip(_("How much a desktop notice shows"));
    for (wxComboBox* combo : {popupStyle, displayStyle}) {
        combo->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { describePopupStyles(); });
        combo->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { describePopupStyles(); });
    }
    column->Add(styleGrid, 0, wxEXPAND);
    m_testButton = new wxButton(page, wxID_ANY, _("Test"), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "ID_TEST_POPUP");
    m_testButton->SetToolTip(
        _("Plays the chat request sound and shows a sample chat request notice as chosen here"));
    m_testButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { onTestPopup(); });
    column->Add(m_testButton, 0, wxALL, kBorder);

    addCheckBox(page, column, _("Show Popups For New Visitor Alerts"),
                SETTING_POPUP_FOR_NEW_VISITORS, "ID_POPUP_NEW_VISITORS");
    addCheckBox(page, column, _("Show Popups For Exceptions"), SETTING_POPUP_FOR_EXCEPTIONS,
                "ID_POPUP_EXCEPTIONS");
    addCheckBox(page, column, _("Leave Chat Request Popups On My Screen Until Clicked"),
                SETTING_LEAVE_CHAT_ON_SCREEN, "ID_LEAVE_CHAT_ON_SCREEN");

    auto* soundGrid = newFormGrid(3);
    addSoundFile(page, soundGrid, _("New Chat Request Sound File:"),
                 SETTING_CHAT_REQUEST_SOUND_PATH, "ID_CHAT_REQUEST_SOUND");
    addSoundFile(page, soundGrid, _("New Visitor Alert Sound File:"),
                 SETTING_NEW_VISITOR_SOUND_PATH, "ID_NEW_VISITOR_SOUND");
    addSoundFile(page, soundGrid, _("New Call Back Request Sound File:"),
                 SETTING_CALLBACK_SOUND_PATH, "ID_CALLBACK_SOUND");
    addSoundFile(page, soundGrid, _("New Prospect Alert Sound File:"), SETTING_PROSPECT_SOUND_PATH,
                 "ID_PROSPECT_SOUND");
    column->Add(soundGrid, 0, wxEXPAND | wxTOP, kBorder);
    auto* repeatRow = new wxBoxSizer(wxHORIZONTAL);
    addLabel(page, repeatRow, _("Repeat The Chat Request Sound While A Chat Waits Every"));
    m_repeatSeconds = new wxSpinCtrl(
        page, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 0,
        kMaxChatRequestRepeatSeconds, kDefaultChatRequestRepeatSeconds, "ID_CHAT_REQUEST_REPEAT");
    m_repeatSeconds->SetToolTip(_("0 plays the sound once, when the request arrives"));
    repeatRow->Add(m_repeatSeconds, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    addLabel(page, repeatRow, _("seconds (0 = once)"));
    column->Add(repeatRow, 0, wxEXPAND);
    // Nothing reports call-back requests to this client: the file is kept, never played, and
    // the box says so rather than pretending.
    const wxString noCallBacks =
        _("Not used: no call-back requests reach this client. The file is kept as it is.");
    for (wxWindow* window :
         {static_cast<wxWindow*>(m_texts.at(SETTING_CALLBACK_SOUND_PATH)),
          static_cast<wxWindow*>(m_soundButtons.at(SETTING_CALLBACK_SOUND_PATH))}) {
        window->Disable();
        window->SetToolTip(noCallBacks);
    }

    page->SetSizer(column);
    return page;
}

wxWindow* SettingsDialog::buildSpellingPage(wxNotebook* book) {
    auto* page = new wxPanel(book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                             "ID_SPELLING_PAGE");
    auto* column = new wxBoxSizer(wxVERTICAL);
    addCheckBox(page, column, _("Enable 'As You Type' Spell Check"),
                SETTING_CHECK_SPELLING_AS_YOU_TYPE, "ID_SPELL_AS_YOU_TYPE");
    addCheckBox(page, column, _("Automatically Check Spelling Before Sending Messages"),
                SETTING_AUTO_CHECK_SPELLING, "ID_SPELL_BEFORE_SENDING");
    auto* grid = newFormGrid(2);
    std::vector<wxString> dictionaries;
    for (const Dictionary& d : installedDictionaries())
        dictionaries.push_back(d.name);
    addCombo(page, grid, _("Dictionary:"), SETTING_UNKNOWN, "ID_DICTIONARY", dictionaries);
    column->Add(grid, 0, wxEXPAND);
    page->SetSizer(column);
    return page;
}

wxWindow* SettingsDialog::buildCannedResponsesPage(wxNotebook* book) {
    m_cannedPage =
        new CannedResponsesPage(book, CannedResponses::fileBeside(m_settings.localFile()));
    return m_cannedPage;
}

wxTreeCtrl* SettingsDialog::cannedTree() const {
    return m_cannedPage->tree();
}

wxTextCtrl* SettingsDialog::cannedText() const {
    return m_cannedPage->text();
}

wxButton* SettingsDialog::saveTextButton() const {
    return m_cannedPage->saveTextButton();
}

wxMenu* SettingsDialog::contextMenu() const {
    return m_cannedPage->contextMenu();
}

wxSizer* SettingsDialog::buildButtons() {
    auto* buttons = new wxStdDialogButtonSizer();
    buttons->AddButton(new wxButton(this, wxID_HELP, _("Help"), wxDefaultPosition, wxDefaultSize, 0,
                                    wxDefaultValidator, "ID_HELP"));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, _("Cancel"), wxDefaultPosition,
                                    wxDefaultSize, 0, wxDefaultValidator, "ID_CANCEL"));
    auto* ok = new wxButton(this, wxID_OK, _("OK"), wxDefaultPosition, wxDefaultSize, 0,
                            wxDefaultValidator, "ID_OK");
    ok->SetDefault();
    buttons->AddButton(ok);
    buttons->Realize();
    return buttons;
}

// ---- Control helpers ----------------------------------------------------------------------

wxTextCtrl* SettingsDialog::addText(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label,
                                    int id, const wxString& name, long style) {
    addLabel(parent, grid, label);
    auto* text = new wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(220, -1),
                                style, wxDefaultValidator, name);
    grid->Add(text, 1, wxEXPAND | wxALL, kBorder);
    m_texts[id] = text;
    return text;
}

wxCheckBox* SettingsDialog::addCheckBox(wxWindow* parent, wxSizer* sizer, const wxString& label,
                                        int id, const wxString& name) {
    auto* box = new wxCheckBox(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0,
                               wxDefaultValidator, name);
    sizer->Add(box, 0, wxALL, kBorder);
    m_checkBoxes[id] = box;
    return box;
}

wxComboBox* SettingsDialog::addCombo(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label,
                                     int id, const wxString& name,
                                     const std::vector<wxString>& items) {
    addLabel(parent, grid, label);
    wxArrayString choices;
    for (const wxString& item : items) {
        choices.Add(item);
    }
    auto* combo = new wxComboBox(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                 choices, wxCB_DROPDOWN, wxDefaultValidator, name);
    grid->Add(combo, 1, wxEXPAND | wxALL, kBorder);
    m_combos[id] = combo;
    return combo;
}

void SettingsDialog::addLinkedSpin(wxWindow* parent, wxSizer* sizer, const wxString& label,
                                   const wxString& unit, int id, const wxString& name, int onValue,
                                   int missingValue) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    LinkedSpin linked;
    linked.id = id;
    linked.onValue = onValue;
    linked.missingValue = missingValue;
    linked.box = new wxCheckBox(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, name + "_CHECK");
    row->Add(linked.box, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    linked.spin = new wxSpinCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                 wxSP_ARROW_KEYS, kLinkedMin, kLinkedMax, 0, name + "_SPIN");
    row->Add(linked.spin, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    addLabel(parent, row, unit);
    sizer->Add(row, 0, wxEXPAND);

    linked.box->Bind(wxEVT_CHECKBOX, [this, linked](wxCommandEvent&) { onLinkedToggled(linked); });
    m_linked.push_back(linked);
}

void SettingsDialog::describePopupStyles() {
    m_popupStyleMeaning->SetLabel(Notifications::describeScope(
        Notifications::noticeScopeOf(m_combos.at(SETTING_POPUP_STYLE)->GetValue())));
    m_displayStyleMeaning->SetLabel(Notifications::describeDetail(
        Notifications::noticeDetailOf(m_combos.at(SETTING_POPUP_DISPLAY_STYLE)->GetValue())));
}

void SettingsDialog::onTestPopup() {
    // The choices as they stand in the dialog, saved or not.
    Notifications::testNotice(
        m_texts.at(SETTING_CHAT_REQUEST_SOUND_PATH)->GetValue(),
        Notifications::noticeScopeOf(m_combos.at(SETTING_POPUP_STYLE)->GetValue()),
        Notifications::noticeDetailOf(m_combos.at(SETTING_POPUP_DISPLAY_STYLE)->GetValue()),
        m_checkBoxes.at(SETTING_LEAVE_CHAT_ON_SCREEN)->GetValue());
}

void SettingsDialog::addSoundFile(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label,
                                  int id, const wxString& name) {
    addText(parent, grid, label, id, name);
    wxButton* button = nullptr;
    const wxBitmap folder = wxArtProvider::GetBitmap(wxART_FOLDER_OPEN, wxART_BUTTON);
    if (folder.IsOk()) {
        button = new wxBitmapButton(parent, wxID_ANY, folder, wxDefaultPosition, wxDefaultSize,
                                    wxBU_AUTODRAW, wxDefaultValidator, name + "_BUTTON");
    } else {
        // No folder picture in the current theme: a text button does the same job.
        button = new wxButton(parent, wxID_ANY, _("..."), wxDefaultPosition, wxDefaultSize,
                              wxBU_EXACTFIT, wxDefaultValidator, name + "_BUTTON");
    }
    button->SetToolTip(_("Select file"));
    grid->Add(button, 0, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    button->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) { onSoundButton(id); });
    m_soundButtons[id] = button;
}

// ---- Loading and saving -------------------------------------------------------------------

void SettingsDialog::loadSettings() {
    for (int id : kTextOrder) {
        wxTextCtrl& text = *m_texts.at(id);
        if (id == SETTING_CHAT_TRANSFER_MESSAGE) {
            loadText(m_settings, id, text, Messages::C_TRANSFER::defaultTransferPattern());
        } else if (id == SETTING_DEFAULT_CHAT_MESSAGE) {
            loadText(m_settings, id, text,
                     _("Hello %NAME%. My name is %MYNAME% how can I help you?"));
        } else if (id == SETTING_PASSWORD) {
            text.ChangeValue(storedPassword(m_settings));
        } else {
            loadText(m_settings, id, text);
        }
    }
    for (int id : kCheckOrder) {
        loadCheckBox(m_settings, id, *m_checkBoxes.at(id), TavoroSettings::boolWhenMissing(id));
    }
    for (int id : kComboOrder) {
        if (id == SETTING_UNKNOWN)
            m_combos.at(id)->ChangeValue(dictionaryShownFor(m_settings.getString(id)));
        else
            loadText(m_settings, id, *m_combos.at(id));
    }

    // The port the connection would use: a missing, unreadable or out-of-range port shows the
    // default, so the box never offers a port that cannot be connected to.
    m_port->SetValue(serverPortOf(m_settings));
    m_repeatSeconds->SetValue(static_cast<int>(chatRequestRepeatSecondsOf(m_settings)));

    for (int id : kLinkedLoadOrder) {
        for (const LinkedSpin& linked : m_linked) {
            if (linked.id == id) {
                loadLinkedSpin(linked);
            }
        }
    }
}

void SettingsDialog::loadLinkedSpin(const LinkedSpin& linked) {
    if (m_settings.exists(linked.id)) {
        // getInt gives -1 for text that is not a number: that reads as "off".
        const long stored = m_settings.getInt(linked.id);
        linked.spin->SetValue(static_cast<int>(std::clamp<long>(stored, kLinkedMin, kLinkedMax)));
        if (stored < 1) {
            linked.box->SetValue(false);
            linked.spin->Enable(false);
            return;
        }
    } else {
        linked.spin->SetValue(linked.missingValue);
    }
    linked.box->SetValue(true);
    linked.spin->Enable(true);
}

void SettingsDialog::saveSettings() {
    for (int id : kTextOrder) {
        if (id != SETTING_PASSWORD)
            saveText(m_settings, id, *m_texts.at(id));
    }
    for (int id : kCheckOrder) {
        saveCheckBox(m_settings, id, *m_checkBoxes.at(id));
    }
    for (int id : kComboOrder) {
        if (id == SETTING_UNKNOWN)
            m_settings.setString(id, dictionaryStoredFor(m_combos.at(id)->GetValue()));
        else
            saveText(m_settings, id, *m_combos.at(id));
    }
    for (int id : kLinkedSaveOrder) {
        m_settings.setInt(id, spinFor(id)->GetValue());
    }
    m_settings.setInt(SETTING_CLIENT_PORT_NUMBER, m_port->GetValue());
    m_settings.setInt(SETTING_CHAT_REQUEST_REPEAT_SECONDS, m_repeatSeconds->GetValue());
    // Last: it is kept under the server and user name just saved, and "Always Ask For
    // Password" keeps it nowhere.
    storePassword(m_settings, m_texts.at(SETTING_PASSWORD)->GetValue());
    m_passwordPlace->SetLabel(passwordPlaceText(passwordPlaceOf(m_settings)));
    m_settings.flush();
}

// ---- Accessors ----------------------------------------------------------------------------

namespace {
template <typename Map>
typename Map::mapped_type lookup(const Map& map, int id) {
    const auto found = map.find(id);
    return found == map.end() ? nullptr : found->second;
}
}  // namespace

wxTextCtrl* SettingsDialog::textFor(int id) const {
    return lookup(m_texts, id);
}

wxCheckBox* SettingsDialog::checkBoxFor(int id) const {
    return lookup(m_checkBoxes, id);
}

wxComboBox* SettingsDialog::comboFor(int id) const {
    return lookup(m_combos, id);
}

wxButton* SettingsDialog::soundButtonFor(int id) const {
    return lookup(m_soundButtons, id);
}

wxSpinCtrl* SettingsDialog::spinFor(int id) const {
    if (id == SETTING_CLIENT_PORT_NUMBER) {
        return m_port;
    }
    if (id == SETTING_CHAT_REQUEST_REPEAT_SECONDS) {
        return m_repeatSeconds;
    }
    for (const LinkedSpin& linked : m_linked) {
        if (linked.id == id) {
            return linked.spin;
        }
    }
    return nullptr;
}

wxCheckBox* SettingsDialog::linkedCheckBoxFor(int id) const {
    for (const LinkedSpin& linked : m_linked) {
        if (linked.id == id) {
            return linked.box;
        }
    }
    return nullptr;
}

// ---- Events -------------------------------------------------------------------------------

void SettingsDialog::endDialog(int returnCode) {
    if (IsModal()) {
        EndModal(returnCode);
    } else {
        SetReturnCode(returnCode);
        Hide();
    }
}

void SettingsDialog::onOk(wxCommandEvent&) {
    saveSettings();
    // Open chat windows take the new spelling and text direction options at once.
    VisitorChatFrame::apply_text_options_everywhere();
    endDialog(wxID_OK);
}

void SettingsDialog::onCancel(wxCommandEvent&) {
    endDialog(wxID_CANCEL);
}

void SettingsDialog::onLinkedToggled(const LinkedSpin& linked) {
    const bool on = linked.box->GetValue();
    linked.spin->SetValue(on ? linked.onValue : 0);
    linked.spin->Enable(on);
}

bool SettingsDialog::chooseSoundFile(const wxString& current, wxString* chosen) {
    if (!current.empty() && wxFileName::FileExists(current)) {
        m_fileChooser->SetPath(current);
    }
    if (m_fileChooser->ShowModal() != wxID_OK) {
        return false;
    }
    *chosen = m_fileChooser->GetPath();
    return true;
}

void SettingsDialog::onSoundButton(int id) {
    wxTextCtrl* text = textFor(id);
    wxString chosen;
    if (text != nullptr && chooseSoundFile(text->GetValue(), &chosen)) {
        text->ChangeValue(chosen);
    }
}

}  // namespace Tavoro::Dialog
