#pragma once

#include <wx/string.h>

#include <vector>

class wxTextCtrl;
struct _GspellChecker;

namespace Tavoro::Dialog {

// One spelling dictionary installed on the desktop.
struct Dictionary {
    wxString code;  // "en_US"
    wxString name;  // "English (United States)", in the desktop's language
};

// The installed dictionaries, sorted by name.
std::vector<Dictionary> installedDictionaries();

// The code of the installed dictionary that a stored dictionary setting means. The setting
// holds a code; files written before the choice offered the installed dictionaries hold
// whatever was typed into the box, so a dictionary's name is understood as well. Empty when
// the text names no installed dictionary.
wxString installedDictionaryCode(const wxString& stored);
// What the dictionary box shows for a stored setting: the dictionary's name, or the stored
// text itself when it names no installed dictionary.
wxString dictionaryShownFor(const wxString& stored);
// What the setting stores for the text of the dictionary box: the dictionary's code, or the
// text itself when it names no installed dictionary.
wxString dictionaryStoredFor(const wxString& shown);

// The words of a line that are checked: runs of letters, with apostrophes inside a word kept
// ("don't"). Runs with digits ("A4", "2nd") are left out, and so are web and mail addresses
// and file names ("www.shop.example", "page.html", "ann@shop.example"), which no dictionary
// knows.
std::vector<wxString> wordsToCheck(const wxString& text);

// A spell checker for one language.
class SpellChecker {
  public:
    // code: a dictionary code; when it is empty or not installed, the desktop's default
    // language is checked.
    explicit SpellChecker(const wxString& code);
    ~SpellChecker();

    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    // The code of the language checked; empty when no dictionary is installed at all (then
    // every word passes).
    wxString languageCode() const;
    // Each misspelt word of the text once, in the order of first appearance.
    std::vector<wxString> misspeltWords(const wxString& text) const;
    // Underlines misspelt words in a multi-line text control while the operator types (its
    // context menu then offers suggestions), or stops doing so. False when the control has no
    // native text view to check.
    bool checkAsYouType(wxTextCtrl& input, bool on) const;

  private:
    _GspellChecker* m_checker = nullptr;
};

// Stops underlining misspelt words in a multi-line text control.
void stopCheckingAsYouType(wxTextCtrl& input);
// Whether a multi-line text control underlines misspelt words as they are typed.
bool isCheckingAsYouType(wxTextCtrl& input);
// The language a multi-line text control is checked in as it is typed; empty when none.
wxString asYouTypeLanguage(wxTextCtrl& input);

// Runs a multi-line text control right to left or left to right: the control's layout and its
// native text view, whose text direction does not follow the control's layout by itself.
void setTextDirection(wxTextCtrl& input, bool rightToLeft);
// Whether the native text view of a multi-line text control runs right to left.
bool isTextViewRightToLeft(wxTextCtrl& input);

}  // namespace Tavoro::Dialog
