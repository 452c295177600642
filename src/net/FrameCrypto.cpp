#include "net/FrameCrypto.h"

#include <botan/aes.h>
#include <botan/block_cipher.h>
#include <botan/hash.h>
#include <botan/sha2_32.h>

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <memory>
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

// The key's hash and schedule cost more than a short frame's blocks, so each thread keeps the
// cipher of the last session key it used (a connection's I/O thread uses one key, and its
// cipher, which wipes its schedule, goes when the thread ends).
Botan::BlockCipher& cipherFor(const std::string& sessionKey) {
    thread_local std::string cachedKey;
    thread_local std::unique_ptr<Botan::BlockCipher> cached;
    if (!cached || cachedKey != sessionKey) {
        cached = makeCipher(sessionKey);
        cachedKey = sessionKey;
    }
    return *cached;
}

// Decrypts in place and removes the server's pad; throws for a body that is not a server frame.
void decryptServerBody(const std::string& sessionKey, std::string& body) {
    if (body.empty() || body.size() % kBlock != 0) {
        throw FrameDecodingError("ciphertext length " + std::to_string(body.size()) +
                                 " is not a positive multiple of 16");
    }
    auto* bytes = reinterpret_cast<uint8_t*>(&body[0]);
    cipherFor(sessionKey).decrypt_n(bytes, bytes, body.size() / kBlock);
    const unsigned pad = static_cast<unsigned char>(body.back());
    if (pad > kMaxServerPad)
        throw FrameDecodingError("ISO10126");
    body.resize(body.size() - pad);
}

wxString decimal(size_t n) {
    return wxString::Format("%zu", n);
}

}  // namespace

// Escaping and unescaping look at 16 bytes at a time where SSE2 is there (every x86-64
// processor): a block without the bytes of interest is copied whole. A 4 KB ciphertext nearly
// always holds a NUL, so escaping is the common case for long frames.
namespace {

#if defined(__SSE2__)
// Bit k set where byte k of the 16 at p is NUL or "%".
unsigned specialBytes(const unsigned char* p) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits =
        _mm_or_si128(_mm_cmpeq_epi8(b, _mm_setzero_si128()), _mm_cmpeq_epi8(b, _mm_set1_epi8('%')));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

// Bit k set where byte k of the 16 at p is "%".
unsigned percentBytes(const unsigned char* p) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, _mm_set1_epi8('%'))));
}
#endif

// Number of bits set in a 16-bit mask, without a library call.
unsigned bitCount16(unsigned x) {
    x = x - ((x >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return (x + (x >> 8)) & 0x1Fu;
}

char* putEscaped(unsigned char c, char* o) {
    if (c == 0) {
        std::memcpy(o, "%00", 3);
        return o + 3;
    }
    if (c == '%') {
        std::memcpy(o, "%25", 3);
        return o + 3;
    }
    *o = static_cast<char>(c);
    return o + 1;
}

}  // namespace

std::string escapeCiphertext(const std::string& cipher) {
    const size_t n = cipher.size();
    const auto* in = reinterpret_cast<const unsigned char*>(cipher.data());
    if (std::memchr(in, 0, n) == nullptr)
        return cipher;

    // Exact output size: two more bytes for every NUL and "%".
    size_t specials = 0;
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const unsigned mask = specialBytes(in + i);
        if (mask != 0)
            specials += bitCount16(mask);
    }
#endif
    for (; i < n; ++i)
        specials += (in[i] == 0 || in[i] == '%') ? 1 : 0;

    std::string out(n + 2 * specials, '\0');
    char* o = &out[0];
    i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        unsigned mask = specialBytes(in + i);
        size_t k = 0;  // bytes of this block written so far
        while (mask != 0) {
            const auto at = static_cast<size_t>(__builtin_ctz(mask));
            std::memcpy(o, in + i + k, at - k);
            o = putEscaped(in[i + at], o + (at - k));
            k = at + 1;
            mask &= mask - 1;
        }
        std::memcpy(o, in + i + k, 16 - k);
        o += 16 - k;
    }
#endif
    for (; i < n; ++i)
        o = putEscaped(in[i], o);
    return out;
}

namespace {

void reportStrayPercent(const std::string& frame, size_t at, size_t outPos, size_t passPos,
                        std::vector<wxString>& diagnostics) {
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
    diagnostics.push_back(text);
}

}  // namespace

std::string unescapeFrame(const std::string& frame, std::vector<wxString>* diagnostics) {
    // Both passes in one: "%00" becomes NUL; if there was any, every other "%" was escaped as
    // "%25" by the sender. The two patterns cannot overlap, so one left-to-right scan gives the
    // result of the two passes. A "%" followed by anything else is kept and reported with its
    // position in the output and in the text after the NUL pass. Whether the frame holds any
    // "%00" at all is known only at the end; without one, the frame is returned as it came.
    const size_t n = frame.size();
    const auto* in = reinterpret_cast<const unsigned char*>(frame.data());
    std::string out(n, '\0');
    char* const start = &out[0];
    char* o = start;
    struct Stray {
        size_t at, outPos, passPos;
    };
    std::vector<Stray> strays;  // reported only if the frame turns out to be escaped
    size_t nuls = 0;
    size_t i = 0;
    while (i < n) {
#if defined(__SSE2__)
        if (i + 16 <= n) {
            const unsigned mask = percentBytes(in + i);
            if (mask == 0) {
                std::memcpy(o, in + i, 16);
                o += 16;
                i += 16;
                continue;
            }
            const auto before = static_cast<size_t>(__builtin_ctz(mask));
            std::memcpy(o, in + i, before);
            o += before;
            i += before;
        }
#endif
        if (in[i] != '%') {
            *o++ = static_cast<char>(in[i++]);
            continue;
        }
        if (i + 2 < n && in[i + 1] == '0' && in[i + 2] == '0') {
            *o++ = '\0';
            ++nuls;
            i += 3;
        } else if (i + 2 < n && in[i + 1] == '2' && in[i + 2] == '5') {
            *o++ = '%';
            i += 3;
        } else {
            if (diagnostics)
                strays.push_back({i, static_cast<size_t>(o - start), i - 2 * nuls});
            *o++ = '%';
            ++i;
        }
    }
    // No NUL escape: the sender did not escape (its ciphertext had no NUL).
    if (nuls == 0)
        return frame;
    out.resize(static_cast<size_t>(o - start));
    for (const Stray& stray : strays) {
        reportStrayPercent(frame, stray.at, stray.outPos, stray.passPos, *diagnostics);
    }
    return out;
}

// Frames of several kilobytes are common, so on x86-64 the conversions work on 16 characters
// at a time with SSE2 (part of every x86-64 processor); elsewhere one at a time.
static_assert(sizeof(wchar_t) == 4, "wxString holds 4-byte characters on this platform");

namespace {

// Writes the ISO 8859-1 bytes of n characters to o.
void latin1Bytes(const wchar_t* in, size_t n, char* o) {
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
}

}  // namespace

std::string toLatin1(const wxString& text) {
    const std::wstring& wide = text.ToStdWstring();
    std::string out(wide.size(), '\0');
    latin1Bytes(wide.data(), wide.size(), &out[0]);
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
    const std::wstring& wide = text.ToStdWstring();
    // PKCS#7: 1 to 16 bytes, each holding the pad length; one buffer for text and pad.
    const size_t pad = kBlock - wide.size() % kBlock;
    std::string bytes(wide.size() + pad, static_cast<char>(pad));
    latin1Bytes(wide.data(), wide.size(), &bytes[0]);
    auto* data = reinterpret_cast<uint8_t*>(&bytes[0]);
    cipherFor(sessionKey).encrypt_n(data, data, bytes.size() / kBlock);
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
