#include "dialog/SpellChecking.h"

#include <wx/textctrl.h>

#include <gspell/gspell.h>
#include <gtk/gtk.h>

#include <algorithm>

namespace Tavoro::Dialog {
namespace {

wxString fromUtf8(const char* text) {
    return text ? wxString::FromUTF8(text) : wxString();
}

// The text view inside a multi-line text control (a scrolled window around it).
GtkTextView* textViewOf(wxTextCtrl& input) {
    if (!input.IsMultiLine())
        return nullptr;
    GtkWidget* widget = input.GetHandle();
    if (widget && GTK_IS_SCROLLED_WINDOW(widget))
        widget = gtk_bin_get_child(GTK_BIN(widget));
    return widget && GTK_IS_TEXT_VIEW(widget) ? GTK_TEXT_VIEW(widget) : nullptr;
}

GspellTextBuffer* spellBufferOf(GtkTextView* view) {
    return gspell_text_buffer_get_from_gtk_text_buffer(gtk_text_view_get_buffer(view));
}

bool isLetter(wxUniChar c) {
    return g_unichar_isalpha(c.GetValue()) || g_unichar_ismark(c.GetValue());
}

bool isApostrophe(wxUniChar c) {
    return c == '\'' || c == 0x2019;
}

// A piece of text between spaces that is an address or a file name rather than words: it has
// a scheme or a slash, an at sign, or a dot between two letters or digits.
bool isAddressLike(const wxString& chunk) {
    if (chunk.Contains("/") || chunk.Contains("@"))
        return true;
    for (size_t i = 1; i + 1 < chunk.length(); ++i) {
        if (chunk[i] == '.' && g_unichar_isalnum(chunk[i - 1].GetValue()) &&
            g_unichar_isalnum(chunk[i + 1].GetValue()))
            return true;
    }
    return false;
}

// Splits a piece of text without spaces into its words.
void addWordsOf(const wxString& chunk, std::vector<wxString>& words) {
    wxString word;
    bool hasDigit = false;
    auto finish = [&] {
        if (!word.empty() && !hasDigit)
            words.push_back(word);
        word.clear();
        hasDigit = false;
    };
    for (size_t i = 0; i < chunk.length(); ++i) {
        const wxUniChar c = chunk[i];
        if (isLetter(c)) {
            word += c;
        } else if (g_unichar_isdigit(c.GetValue())) {
            word += c;
            hasDigit = true;
        } else if (isApostrophe(c) && !word.empty() && i + 1 < chunk.length() &&
                   isLetter(chunk[i + 1])) {
            word += c;
        } else {
            finish();
        }
    }
    finish();
}

}  // namespace

std::vector<Dictionary> installedDictionaries() {
    std::vector<Dictionary> result;
    for (const GList* item = gspell_language_get_available(); item; item = item->next) {
        const auto* language = static_cast<const GspellLanguage*>(item->data);
        result.push_back({fromUtf8(gspell_language_get_code(language)),
                          fromUtf8(gspell_language_get_name(language))});
    }
    std::stable_sort(result.begin(), result.end(), [](const Dictionary& a, const Dictionary& b) {
        return a.name.CmpNoCase(b.name) < 0;
    });
    return result;
}

wxString installedDictionaryCode(const wxString& stored) {
    const wxString text = wxString(stored).Trim().Trim(false);
    if (text.empty())
        return wxString();
    const std::vector<Dictionary> installed = installedDictionaries();
    for (const Dictionary& d : installed) {
        if (d.code == text)
            return d.code;
    }
    for (const Dictionary& d : installed) {
        if (d.name.CmpNoCase(text) == 0)
            return d.code;
    }
    return wxString();
}

wxString dictionaryShownFor(const wxString& stored) {
    const wxString code = installedDictionaryCode(stored);
    if (code.empty())
        return stored;
    for (const Dictionary& d : installedDictionaries()) {
        if (d.code == code)
            return d.name;
    }
    return stored;
}

wxString dictionaryStoredFor(const wxString& shown) {
    const wxString code = installedDictionaryCode(shown);
    return code.empty() ? shown : code;
}

std::vector<wxString> wordsToCheck(const wxString& text) {
    std::vector<wxString> words;
    wxString chunk;
    for (size_t i = 0; i <= text.length(); ++i) {
        if (i < text.length() && !g_unichar_isspace(text[i].GetValue())) {
            chunk += text[i];
            continue;
        }
        if (!chunk.empty() && !isAddressLike(chunk))
            addWordsOf(chunk, words);
        chunk.clear();
    }
    return words;
}

SpellChecker::SpellChecker(const wxString& code) {
    const wxString installed = installedDictionaryCode(code);
    const GspellLanguage* language =
        installed.empty() ? nullptr : gspell_language_lookup(installed.utf8_str());
    // Without a language the checker takes the desktop's default one.
    m_checker = gspell_checker_new(language);
}

SpellChecker::~SpellChecker() {
    g_object_unref(m_checker);
}

wxString SpellChecker::languageCode() const {
    const GspellLanguage* language = gspell_checker_get_language(m_checker);
    return language ? fromUtf8(gspell_language_get_code(language)) : wxString();
}

std::vector<wxString> SpellChecker::misspeltWords(const wxString& text) const {
    std::vector<wxString> misspelt;
    if (!gspell_checker_get_language(m_checker))
        return misspelt;
    for (const wxString& word : wordsToCheck(text)) {
        if (std::find(misspelt.begin(), misspelt.end(), word) != misspelt.end())
            continue;
        GError* error = nullptr;
        const gboolean correct = gspell_checker_check_word(m_checker, word.utf8_str(), -1, &error);
        if (error) {
            // A word the dictionary cannot look at is not the operator's mistake.
            g_error_free(error);
            continue;
        }
        if (!correct)
            misspelt.push_back(word);
    }
    return misspelt;
}

bool SpellChecker::checkAsYouType(wxTextCtrl& input, bool on) const {
    GtkTextView* view = textViewOf(input);
    if (!view)
        return false;
    // The buffer keeps its own reference to the checker.
    gspell_text_buffer_set_spell_checker(spellBufferOf(view), m_checker);
    GspellTextView* spellView = gspell_text_view_get_from_gtk_text_view(view);
    gspell_text_view_set_inline_spell_checking(spellView, on);
    gspell_text_view_set_enable_language_menu(spellView, on);
    return true;
}

void stopCheckingAsYouType(wxTextCtrl& input) {
    if (GtkTextView* view = textViewOf(input)) {
        GspellTextView* spellView = gspell_text_view_get_from_gtk_text_view(view);
        gspell_text_view_set_inline_spell_checking(spellView, false);
        gspell_text_view_set_enable_language_menu(spellView, false);
    }
}

bool isCheckingAsYouType(wxTextCtrl& input) {
    GtkTextView* view = textViewOf(input);
    return view && gspell_text_view_get_inline_spell_checking(
                       gspell_text_view_get_from_gtk_text_view(view));
}

wxString asYouTypeLanguage(wxTextCtrl& input) {
    GtkTextView* view = textViewOf(input);
    if (!view)
        return wxString();
    GspellChecker* checker = gspell_text_buffer_get_spell_checker(spellBufferOf(view));
    const GspellLanguage* language = checker ? gspell_checker_get_language(checker) : nullptr;
    return language ? fromUtf8(gspell_language_get_code(language)) : wxString();
}

void setTextDirection(wxTextCtrl& input, bool rightToLeft) {
    input.SetLayoutDirection(rightToLeft ? wxLayout_RightToLeft : wxLayout_LeftToRight);
    if (GtkTextView* view = textViewOf(input))
        gtk_widget_set_direction(GTK_WIDGET(view),
                                 rightToLeft ? GTK_TEXT_DIR_RTL : GTK_TEXT_DIR_LTR);
}

bool isTextViewRightToLeft(wxTextCtrl& input) {
    GtkTextView* view = textViewOf(input);
    return view && gtk_widget_get_direction(GTK_WIDGET(view)) == GTK_TEXT_DIR_RTL;
}

}  // namespace Tavoro::Dialog
