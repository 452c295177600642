#include "net/FrameCrypto.h"

#include <botan/aes.h>
#include <botan/block_cipher.h>
#include <botan/hash.h>
#include <botan/sha2_32.h>

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <stdexcept>

namespace Tavoro::Net {
namespace {

constexpr size_t kBlock = 16;
// The last plaintext byte of a server frame counts the pad bytes; a whole block at most.
constexpr unsigned kMaxServerPad = 16;

// Thrown for a frame that cannot be a server frame; its text reads the way the crypto
// library's decoding errors are reported.
class FrameDecodingError : public std::runtime_error {
  public:
    explicit FrameDecodingError(const std::string& what)
        : std::runtime_error("Botan: Decoding error: " + what) {}
};

// AES-256 and SHA-256 are constructed directly rather than looked up by name: for a short frame
// the lookup costs as much as the encryption itself.
std::unique_ptr<Botan::BlockCipher> makeCipher(const std::string& sessionKey) {
    auto cipher = std::make_unique<Botan::AES_256>();
    const auto key = frameKey(sessionKey);
    cipher->set_key(key.data(), key.size());
    return cipher;
}

// Decrypts in place and removes the server's pad; throws for a body that is not a server frame.
void decryptServerBody(const std::string& sessionKey, std::string& body) {
    if (body.empty() || body.size() % kBlock != 0) {
        throw FrameDecodingError("ciphertext length " + std::to_string(body.size()) +
                                 " is not a positive multiple of 16");
    }
    auto aes = makeCipher(sessionKey);
    auto* bytes = reinterpret_cast<uint8_t*>(&body[0]);
    aes->decrypt_n(bytes, bytes, body.size() / kBlock);
    const unsigned pad = static_cast<unsigned char>(body.back());
    if (pad > kMaxServerPad)
        throw FrameDecodingError("ISO10126");
    body.resize(body.size() - pad);
}

wxString decimal(size_t n) {
    return wxString::Format("%zu", n);
}

}  // namespace

std::string escapeCiphertext(const std::string& cipher) {
    const char* p = cipher.data();
    const char* const end = p + cipher.size();
    const char* nul = static_cast<const char*>(std::memchr(p, '\0', cipher.size()));
    if (nul == nullptr)
        return cipher;
    // Most of a frame is ordinary bytes: copy the runs between NUL and "%" bytes in bulk.
    const char* pct = static_cast<const char*>(std::memchr(p, '%', cipher.size()));
    std::string out;
    out.reserve(cipher.size() + cipher.size() / 32 + 16);
    while (p < end) {
        const char* next = nul ? nul : end;
        if (pct && pct < next)
            next = pct;
        out.append(p, static_cast<size_t>(next - p));
        if (next == end)
            break;
        out.append(*next == '\0' ? "%00" : "%25", 3);
        p = next + 1;
        const size_t left = static_cast<size_t>(end - p);
        if (next == nul)
            nul = static_cast<const char*>(std::memchr(p, '\0', left));
        if (next == pct)
            pct = static_cast<const char*>(std::memchr(p, '%', left));
    }
    return out;
}

namespace {

// Position of the next "%00" at or after from, or npos.
size_t findNulEscape(const std::string& frame, size_t from) {
    while (from < frame.size()) {
        const void* hit = std::memchr(frame.data() + from, '%', frame.size() - from);
        if (!hit)
            return std::string::npos;
        const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - frame.data());
        if (at + 2 < frame.size() && frame[at + 1] == '0' && frame[at + 2] == '0')
            return at;
        from = at + 1;
    }
    return std::string::npos;
}

void reportStrayPercent(const std::string& frame, size_t at, size_t outPos, size_t passPos,
                        std::vector<wxString>* diagnostics) {
    wxString text = "Unexpected Characters after percent:%";
    wxString codes;
    // The two characters that follow, as the NUL pass leaves them.
    size_t next = at + 1;
    for (size_t k = 1; k <= 2; ++k) {
        if (next >= frame.size()) {
            codes += wxString::Format(" %zu Chr:none", k);
            continue;
        }
        unsigned b = static_cast<unsigned char>(frame[next]);
        if (frame.compare(next, 3, "%00") == 0) {
            b = 0;
            next += 3;
        } else {
            next += 1;
        }
        text += " ";
        text += wxUniChar(b);
        codes += wxString::Format(" %zu Chr:%u", k, b);
    }
    text += codes + " - idx= " + decimal(outPos) + " idz= " + decimal(passPos);
    diagnostics->push_back(text);
}

}  // namespace

std::string unescapeFrame(const std::string& frame, std::vector<wxString>* diagnostics) {
    // Without any "%00" the sender did not escape (its ciphertext had no NUL): as it is.
    if (findNulEscape(frame, 0) == std::string::npos)
        return frame;

    // Both passes in one: "%00" becomes NUL; every other "%" was escaped as "%25" by the
    // sender. The two patterns cannot overlap, so one left-to-right scan gives the result of
    // the two passes. A "%" followed by anything else is kept and reported with its position
    // in the output and in the text after the NUL pass.
    std::string out;
    out.reserve(frame.size());
    size_t at = 0;
    size_t nulsSoFar = 0;
    while (at < frame.size()) {
        const void* hit = std::memchr(frame.data() + at, '%', frame.size() - at);
        const size_t pct =
            hit ? static_cast<size_t>(static_cast<const char*>(hit) - frame.data()) : frame.size();
        out.append(frame, at, pct - at);
        if (pct == frame.size())
            break;
        if (pct + 2 < frame.size() && frame[pct + 1] == '0' && frame[pct + 2] == '0') {
            out += '\0';
            ++nulsSoFar;
            at = pct + 3;
        } else if (pct + 2 < frame.size() && frame[pct + 1] == '2' && frame[pct + 2] == '5') {
            out += '%';
            at = pct + 3;
        } else {
            if (diagnostics) {
                reportStrayPercent(frame, pct, out.size(), pct - 2 * nulsSoFar, diagnostics);
            }
            out += '%';
            at = pct + 1;
        }
    }
    return out;
}

// Frames of several kilobytes are common, so on x86-64 the conversions work on 16 characters
// at a time with SSE2 (part of every x86-64 processor); elsewhere one at a time.
static_assert(sizeof(wchar_t) == 4, "wxString holds 4-byte characters on this platform");

std::string toLatin1(const wxString& text) {
    const std::wstring& wide = text.ToStdWstring();
    const size_t n = wide.size();
    std::string out(n, '\0');
    const wchar_t* in = wide.data();
    char* o = &out[0];
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i highBits = _mm_set1_epi32(~0xFF);
    const __m128i zero = _mm_setzero_si128();
    const __m128i question = _mm_set1_epi8('?');
    auto fits = [&](__m128i c) { return _mm_cmpeq_epi32(_mm_and_si128(c, highBits), zero); };
    for (; i + 16 <= n; i += 16) {
        const auto* src = reinterpret_cast<const __m128i*>(in + i);
        const __m128i c0 = _mm_loadu_si128(src);
        const __m128i c1 = _mm_loadu_si128(src + 1);
        const __m128i c2 = _mm_loadu_si128(src + 2);
        const __m128i c3 = _mm_loadu_si128(src + 3);
        // Narrowing with saturation keeps every code up to 0xFF; the others are replaced.
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(c0, c1), _mm_packs_epi32(c2, c3));
        const __m128i keep = _mm_packs_epi16(_mm_packs_epi32(fits(c0), fits(c1)),
                                             _mm_packs_epi32(fits(c2), fits(c3)));
        const __m128i result =
            _mm_or_si128(_mm_and_si128(keep, bytes), _mm_andnot_si128(keep, question));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), result);
    }
#endif
    for (; i < n; ++i) {
        const auto code = static_cast<uint32_t>(in[i]);
        o[i] = code <= 0xFF ? static_cast<char>(code) : '?';
    }
    return out;
}

wxString fromLatin1(const std::string& bytes) {
    const size_t n = bytes.size();
    // Written straight into the text's own storage: ToStdWstring() is a view of it, and the
    // text itself is not const, so writing through it is sound and saves a copy.
    wxString text(wxUniChar(0), n);
    auto& wide = const_cast<std::wstring&>(text.ToStdWstring());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    wchar_t* o = &wide[0];
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i lo = _mm_unpacklo_epi8(b, zero);
        const __m128i hi = _mm_unpackhi_epi8(b, zero);
        auto* dst = reinterpret_cast<__m128i*>(o + i);
        _mm_storeu_si128(dst, _mm_unpacklo_epi16(lo, zero));
        _mm_storeu_si128(dst + 1, _mm_unpackhi_epi16(lo, zero));
        _mm_storeu_si128(dst + 2, _mm_unpacklo_epi16(hi, zero));
        _mm_storeu_si128(dst + 3, _mm_unpackhi_epi16(hi, zero));
    }
#endif
    for (; i < n; ++i)
        o[i] = static_cast<wchar_t>(in[i]);
    return text;
}

std::vector<uint8_t> frameKey(const std::string& sessionKey) {
    Botan::SHA_256 sha;
    sha.update(reinterpret_cast<const uint8_t*>(sessionKey.data()), sessionKey.size());
    const auto digest = sha.final();
    return std::vector<uint8_t>(digest.begin(), digest.end());
}

std::string encryptFrame(const std::string& sessionKey, const wxString& text) {
    std::string bytes = toLatin1(text);
    // PKCS#7: 1 to 16 bytes, each holding the pad length.
    const size_t pad = kBlock - bytes.size() % kBlock;
    bytes.append(pad, static_cast<char>(pad));
    auto aes = makeCipher(sessionKey);
    auto* data = reinterpret_cast<uint8_t*>(&bytes[0]);
    aes->encrypt_n(data, data, bytes.size() / kBlock);
    return escapeCiphertext(bytes);
}

wxString decryptFrame(const std::string& sessionKey, const std::string& frame,
                      std::vector<wxString>* statuses) {
    std::string unescaped;
    size_t unescapedSize = 0;
    try {
        std::vector<wxString> diagnostics;
        unescaped = unescapeFrame(frame, &diagnostics);
        // A peer escapes only ciphertext that holds a NUL, so ciphertext without NUL that merely
        // contains the three bytes "%00" arrives unescaped and the first pass above shortens it
        // wrongly. Unescaping removes two bytes per NUL escape, so a correctly escaped frame
        // always unescapes to whole blocks; when only the raw frame is whole blocks, the frame
        // was sent as it is.
        if (unescaped.size() % kBlock != 0 && frame.size() % kBlock == 0 &&
            unescaped.size() != frame.size()) {
            unescaped = frame;
            diagnostics.clear();
        }
        if (statuses)
            statuses->insert(statuses->end(), diagnostics.begin(), diagnostics.end());
        unescapedSize = unescaped.size();
        decryptServerBody(sessionKey, unescaped);
        return fromLatin1(unescaped);
    } catch (const std::exception& e) {
        if (statuses)
            statuses->push_back(wxString("Botan Exception Recieved:") + e.what());
    } catch (...) {
        if (statuses)
            statuses->push_back("Botan Exception Recieved:unknown error");
    }
    wxString report = "@BOTAN-EXCEPTION:Exception In Decryption:\r\n";
    report += "--Initial Length Was:" + decimal(frame.size()) + "\r\n";
    report += "--Final Length Was:" + decimal(unescapedSize) + "\r\n";
    report += fromLatin1(frame);
    return report;
}

}  // namespace Tavoro::Net
