// The operator's writing options in the chat window: spell checking of the input field and the
// direction of the input field and the transcript.
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "dialog/SpellChecking.h"
#include "dialog/VisitorChatFrame.h"
#include "settings/TavoroSettings.h"
#include "widgets/TranscriptView.h"

namespace Tavoro::Dialog {

void VisitorChatFrame::apply_text_options() {
    const TavoroSettings& settings = getSettings();
    const bool asYouType = settings.getBool(SETTING_CHECK_SPELLING_AS_YOU_TYPE);
    m_checkBeforeSending = settings.getBool(SETTING_AUTO_CHECK_SPELLING);
    if (asYouType || m_checkBeforeSending) {
        // The dictionary chosen in the options, else the desktop's language.
        m_spellChecker = std::make_unique<SpellChecker>(settings.getString(SETTING_UNKNOWN));
        m_spellChecker->checkAsYouType(*m_input, asYouType);
    } else {
        stopCheckingAsYouType(*m_input);
        m_spellChecker.reset();
    }

    // The transcript is drawn mirrored: each line starts at the right edge and its words run
    // to the left.
    const bool rightToLeft = settings.getBool(SETTING_RIGHT_TO_LEFT_TEXT);
    setTextDirection(*m_input, rightToLeft);
    m_transcript->SetLayoutDirection(rightToLeft ? wxLayout_RightToLeft : wxLayout_LeftToRight);
    m_transcript->Refresh();
}

void VisitorChatFrame::apply_text_options_everywhere() {
    for (wxWindow* window : wxTopLevelWindows) {
        if (auto* chat = dynamic_cast<VisitorChatFrame*>(window))
            chat->apply_text_options();
    }
}

}  // namespace Tavoro::Dialog
