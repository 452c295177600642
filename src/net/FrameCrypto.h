#pragma once

#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tavoro::Net {

// Conversion of one frame body between text and its encrypted wire form, once the session key
// is set. Frames are AES-256 in ECB mode under SHA-256 of the session key text. The client pads
// with PKCS#7; the server pads the "ISO10126" way (any pad bytes, their count in the last byte).
// Ciphertext that contains a NUL byte is escaped so that NUL can end the frame on the wire.
//
// Every function builds its own crypto objects: they hold no shared state and may run on any
// thread (the connection serialises its own calls).

// Escapes ciphertext for the wire: without any NUL byte it is returned unchanged; otherwise
// NUL becomes "%00" and "%" becomes "%25".
std::string escapeCiphertext(const std::string& cipher);

// Reverses escapeCiphertext on a received frame body. First pass: "%00" becomes NUL. Only if
// that pass replaced something, a second pass turns "%25" back into "%"; any other "%" there is
// kept and reported in diagnostics ("Unexpected Characters after percent:..."), when given.
std::string unescapeFrame(const std::string& frame, std::vector<wxString>* diagnostics);

// Text to ISO 8859-1 bytes, one byte per character; a character above U+00FF becomes "?"
// (the rest of the text is kept).
std::string toLatin1(const wxString& text);

// Bytes to text, each byte one character of the same code (0x80..0xFF to U+0080..U+00FF).
wxString fromLatin1(const std::string& bytes);

// The 32-byte frame key: SHA-256 of the session key bytes.
std::vector<uint8_t> frameKey(const std::string& sessionKey);

// The client's outgoing frame body (without the terminating NUL): the whole text as ISO 8859-1
// bytes, AES-256-ECB with PKCS#7 padding, escaped. Throws std::exception on a crypto failure.
std::string encryptFrame(const std::string& sessionKey, const wxString& text);

// A received frame body to text: unescape, decrypt, remove the server's padding (the last byte
// of the plaintext, 0 to 16, is the number of bytes to drop; above 16 is an error), bytes to
// characters. Never throws: on any failure it returns the "@BOTAN-EXCEPTION:" text that
// describes the frame and appends "Botan Exception Recieved:" with the reason to statuses.
// Unescape diagnostics are appended to statuses as well.
wxString decryptFrame(const std::string& sessionKey, const std::string& frame,
                      std::vector<wxString>* statuses);

}  // namespace Tavoro::Net
