#pragma once

#include <wx/string.h>

namespace Tavoro::Tools {

// Text made safe to place inside HTML: "&", "<", ">", and both quotes become entities, so a
// visitor's text can never turn into markup in the operator's transcript; line breaks (LF,
// CR LF or CR) become "<br>".
wxString escapeHtml(const wxString& text);

// Text made safe for the body of a desktop notice, which notification daemons read as XML
// markup: "&", "<", ">", '"' and "'" become the XML entities (&amp; &lt; &gt; &quot; &apos;,
// the ones every daemon's parser knows); everything else, line breaks included, is unchanged.
wxString escapeMarkup(const wxString& text);

// Escaped text (from escapeHtml) with its web addresses made clickable: every word that starts
// with "http://", "https://" or "www." becomes a link to that address ("www." links get
// "http://"). Only those two schemes ever become links.
wxString linkifyEscaped(const wxString& escaped);

}  // namespace Tavoro::Tools
