#pragma once

#include <wx/dialog.h>
#include <wx/treebase.h>

#include <map>
#include <memory>
#include <vector>

class wxBoxSizer;
class wxButton;
class wxCheckBox;
class wxComboBox;
class wxFileDialog;
class wxFlexGridSizer;
class wxMenu;
class wxNotebook;
class wxSizer;
class wxSpinCtrl;
class wxStaticText;
class wxTextCtrl;
class wxTreeCtrl;
class wxTreeEvent;
class wxWindow;

namespace Tavoro {
class TavoroSettings;
}

namespace Tavoro::Dialog {

class CannedResponsesPage;

// The client options dialog: edits the operator's settings on five pages (General, Options,
// Popups, Spelling, Canned Responses). The controls are loaded from the store when the dialog
// is built; OK writes every setting back and flushes the file, Cancel writes nothing.
// Every control carries a window name of the form "ID_..." so it can be found by name.
class SettingsDialog : public wxDialog {
  public:
    SettingsDialog(wxWindow* parent, TavoroSettings& settings);
    ~SettingsDialog() override;

    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // Writes every setting from the controls into the store, then flushes it to the file.
    void saveSettings();

    // The control that edits a setting id, or nullptr when no control of that kind edits it.
    // Text boxes include the four sound file boxes; spin boxes include the port and the chat
    // request sound's repeat.
    wxTextCtrl* textFor(int id) const;
    wxCheckBox* checkBoxFor(int id) const;
    wxComboBox* comboFor(int id) const;
    wxSpinCtrl* spinFor(int id) const;
    // The check box that switches the spin box of a linked setting (Busy, Log Off, Away).
    wxCheckBox* linkedCheckBoxFor(int id) const;
    // The folder button next to a sound file box.
    wxButton* soundButtonFor(int id) const;

    wxNotebook* notebook() const { return m_notebook; }
    CannedResponsesPage* cannedPage() const { return m_cannedPage; }
    wxTreeCtrl* cannedTree() const;
    wxTextCtrl* cannedText() const;
    wxButton* saveTextButton() const;
    wxMenu* contextMenu() const;
    wxFileDialog* fileChooser() const { return m_fileChooser; }
    // "Test" on the Popups page, and the texts saying what the chosen popup styles mean.
    wxButton* testButton() const { return m_testButton; }
    wxStaticText* popupStyleMeaning() const { return m_popupStyleMeaning; }
    wxStaticText* displayStyleMeaning() const { return m_displayStyleMeaning; }
    // Says where the password is kept (the keyring, the settings file, nowhere).
    wxStaticText* passwordPlace() const { return m_passwordPlace; }

  protected:
    // Asks the operator for a sound file, starting at the current one; false when the
    // operator cancels.
    virtual bool chooseSoundFile(const wxString& current, wxString* chosen);

  private:
    // A check box that switches a spin box: ticking puts onValue into the spin box and
    // enables it, clearing puts 0 and disables it. A spin value of 0 means "off".
    struct LinkedSpin {
        int id = 0;
        int onValue = 0;
        int missingValue = 0;
        wxCheckBox* box = nullptr;
        wxSpinCtrl* spin = nullptr;
    };

    wxWindow* buildGeneralPage(wxNotebook* book);
    wxWindow* buildOptionsPage(wxNotebook* book);
    wxWindow* buildPopupsPage(wxNotebook* book);
    wxWindow* buildSpellingPage(wxNotebook* book);
    wxWindow* buildCannedResponsesPage(wxNotebook* book);
    wxSizer* buildButtons();

    wxTextCtrl* addText(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label, int id,
                        const wxString& name, long style = 0);
    wxCheckBox* addCheckBox(wxWindow* parent, wxSizer* sizer, const wxString& label, int id,
                            const wxString& name);
    wxComboBox* addCombo(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label, int id,
                         const wxString& name, const std::vector<wxString>& items);
    void addLinkedSpin(wxWindow* parent, wxSizer* sizer, const wxString& label,
                       const wxString& unit, int id, const wxString& name, int onValue,
                       int missingValue);
    void addSoundFile(wxWindow* parent, wxFlexGridSizer* grid, const wxString& label, int id,
                      const wxString& name);

    void loadSettings();
    void loadLinkedSpin(const LinkedSpin& linked);
    void endDialog(int returnCode);

    void onOk(wxCommandEvent& event);
    void onCancel(wxCommandEvent& event);
    void onLinkedToggled(const LinkedSpin& linked);
    void onSoundButton(int id);
    void describePopupStyles();
    void onTestPopup();

    TavoroSettings& m_settings;
    wxStaticText* m_passwordPlace = nullptr;

    wxNotebook* m_notebook = nullptr;
    wxSpinCtrl* m_port = nullptr;
    wxSpinCtrl* m_repeatSeconds = nullptr;
    std::map<int, wxTextCtrl*> m_texts;
    std::map<int, wxCheckBox*> m_checkBoxes;
    std::map<int, wxComboBox*> m_combos;
    std::map<int, wxButton*> m_soundButtons;
    std::vector<LinkedSpin> m_linked;

    CannedResponsesPage* m_cannedPage = nullptr;
    wxButton* m_testButton = nullptr;
    wxStaticText* m_popupStyleMeaning = nullptr;
    wxStaticText* m_displayStyleMeaning = nullptr;
    // One chooser shared by all sound file buttons; a child window, destroyed with the dialog.
    wxFileDialog* m_fileChooser = nullptr;
};

}  // namespace Tavoro::Dialog
