#include "FaultFrames.h"

#include <botan/base64.h>

#include "ChatRecords.h"
#include "VisitorRecords.h"
#include "WireText.h"

namespace TavoroDemo {
namespace {

constexpr size_t kBlock = FrameCodec::kBlockSize;

// The first n fields of a record.
std::string keepFields(const std::string& record, size_t n, char separator) {
    auto fields = WireText::split(record, separator);
    if (fields.size() > n)
        fields.resize(n);
    return WireText::join(fields, separator);
}

// The record with three more fields, the last one empty.
std::string withSurplus(const std::string& record, char separator) {
    return record + separator + "surplus 1" + separator + "surplus:2" + separator;
}

// text padded to whole blocks the server's way (random bytes, the count in the last byte).
std::string padded(const std::string& text, std::mt19937_64& random) {
    const size_t pad = kBlock - text.size() % kBlock;
    std::string out = text;
    for (size_t i = 0; i + 1 < pad; ++i)
        out += static_cast<char>(random() & 0xFF);
    out += static_cast<char>(pad);
    return out;
}

std::string randomBlock(std::mt19937_64& random, size_t n) {
    std::string out(n, '\0');
    for (auto& c : out)
        c = static_cast<char>(random() & 0xFF);
    return out;
}

std::string base64(const std::string& bytes) {
    return Botan::base64_encode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// A frame of whole blocks holding text, filled with random bytes, whose last byte is lastByte.
FaultFrames::Wire padFrame(const FrameCodec& codec, std::mt19937_64& random,
                           const std::string& text, size_t blocks, unsigned char lastByte,
                           const std::string& what) {
    std::string plain = text;
    if (plain.size() > blocks * kBlock - 1)
        plain.resize(blocks * kBlock - 1);
    plain += randomBlock(random, blocks * kBlock - 1 - plain.size());
    plain += static_cast<char>(lastByte);
    return {FrameCodec::escape(codec.encryptBlocks(plain)), what};
}

// A visitor to build records from when the simulation has none.
SimVisitor standInVisitor() {
    SimVisitor v;
    v.site = "S1";
    v.ip = "10.250.0.9";
    v.tail = "1";
    v.number = 999;
    v.startTime = v.lastTime = "09:00:00";
    v.pages.push_back({"09:00:00", "/index.html", "Home"});
    return v;
}

std::u32string joinWide(const std::vector<std::u32string>& fields, char32_t separator) {
    std::u32string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += separator;
        out += fields[i];
    }
    return out;
}

// A visitor's "@EV" text with wide characters in the fields the client shows.
std::u32string wideVisitorEvent(const SimVisitor& v) {
    std::vector<std::u32string> fields;
    for (const auto& f : WireText::split(VisitorRecords::visitorLine(v), WireText::kTab))
        fields.push_back(FaultFrames::widen(f));
    if (fields.size() < 22)
        fields.resize(22);
    const std::u32string loneSurrogate(1, static_cast<char32_t>(0xD800));
    fields[6] = U"\u4E3B\u673A.\u4F8B\u5B50.\u4E2D\u56FD";                    // CJK host name
    fields[8] = U"\u5C71\u7530\u592A\u90CE";                                  // CJK user name
    fields[12] = U"Browser \u263A\u2764\u2605 \U0001F600";                    // emoji
    fields[13] = U"OS \uFFFD " + loneSurrogate + U" end";                     // U+FFFD, surrogate
    fields[19] = U"\u6771\u4EAC|\u6771\u4EAC\u90FD|\u65E5\u672C \U0001F5FE";  // place
    return U"@EV:" + joinWide(fields, U'\t');
}

}  // namespace

std::u32string FaultFrames::widen(const std::string& bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    for (const char c : bytes)
        out += static_cast<char32_t>(static_cast<unsigned char>(c));
    return out;
}

std::string FaultFrames::stxForm(const std::u32string& text) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out(1, '\x02');
    out.reserve(1 + 4 * text.size());
    auto group = [&](unsigned unit) {
        for (int shift = 12; shift >= 0; shift -= 4)
            out += hex[(unit >> shift) & 15];
    };
    for (const char32_t c : text) {
        if (c > 0xFFFF) {
            const unsigned v = static_cast<unsigned>(c) - 0x10000;
            group(0xD800 + (v >> 10));
            group(0xDC00 + (v & 0x3FF));
        } else {
            group(static_cast<unsigned>(c));
        }
    }
    return out;
}

std::vector<FaultFrames::Wire> FaultFrames::undecryptable(FrameCodec& codec,
                                                          std::mt19937_64& random) {
    std::vector<Wire> out;
    out.push_back({"@EV:this frame was never encrypted", "plain text, not whole blocks"});
    out.push_back({"@NOSUCH:plain text, 32 bytes....", "plain text of whole blocks"});
    const std::string one = codec.encryptBlocks(padded("@NOSUCH:base64", random));
    const std::string two = codec.encryptBlocks(padded("@NOSUCH:base64 of two blocks", random));
    const std::string three =
        codec.encryptBlocks(padded("@NOSUCH:base64 of three blocks of text....", random));
    out.push_back({base64(one), "Base64 of one block"});
    out.push_back({base64(two), "Base64 of two blocks"});
    out.push_back({base64(three), "Base64 of three blocks (64 characters)"});
    out.push_back({FrameCodec::escape(two.substr(0, two.size() - 1)), "ciphertext one byte short"});
    out.push_back({FrameCodec::escape(two + "x"), "ciphertext one byte long"});
    for (const size_t blocks : {1, 2, 4, 16}) {
        out.push_back({FrameCodec::escape(randomBlock(random, blocks * kBlock)),
                       std::to_string(blocks) + " random blocks"});
    }
    out.push_back({"%00%zz" + std::string(13, 'A'), "escaped frame with a stray percent"});
    return out;
}

std::vector<FaultFrames::Wire> FaultFrames::badPad(const FrameCodec& codec,
                                                   std::mt19937_64& random) {
    return {
        padFrame(codec, random, "@NOSUCH:pad 0", 1, 0, "pad byte 0"),
        padFrame(codec, random, "@NOSUCH:pad 17", 1, 17, "pad byte 17"),
        padFrame(codec, random, "@NOSUCH:pad 255", 1, 255, "pad byte 255"),
        padFrame(codec, random, "@NOSUCH:pad 32 in two blocks", 2, 32, "pad byte 32 in two blocks"),
        padFrame(codec, random, "@NOSUCH:x", 1, 16, "pad byte 16 over a 9-byte text"),
        padFrame(codec, random, "@NOSUCH:pad 48 in two blocks", 2, 48,
                 "pad byte 48, more than the frame"),
    };
}

std::string FaultFrames::randomBytes(std::mt19937_64& random, size_t n) {
    std::string out = randomBlock(random, n);
    if (!out.empty())
        out.back() = '\0';
    return out;
}

std::vector<std::string> FaultFrames::unknownCommands() {
    return {
        "@NOSUCH:x",
        "@",
        "",
        ":data without a command",
        "@nosuch:lower case",
        "@NO SUCH:a space in the command",
        "@ERRORX:not an error",
        "@CLOSED:not a close",
        "@MSGS:not a server text",
        "@EVX:not a visitor event",
        "@EV",
        "@EV:",
        "@ER",
        "@MESSAGE",
        "@SD",
        "@1",
        "@POPUP",
        std::string("@\x01\x7f:control characters"),
        std::string("@\xe9\xff:high bytes"),
        "@EV\t:a tab in the command",
        "\x1b\t\n\r",
        "@" + std::string(2000, 'X') + ":a long command",
        stxForm(widen("@NOSUCH:stx form")),
        "\x02",
        "\x02zzzz0040",
        "\x02"
        "004",
    };
}

std::vector<std::string> FaultFrames::badRecords(const Simulation& simulation,
                                                 const SiteCatalog& sites,
                                                 const OperatorRoster& roster,
                                                 const std::string& chatId) {
    const auto& visitors = simulation.visitors();
    const SimVisitor standIn = standInVisitor();
    const SimVisitor& v0 = visitors.empty() ? standIn : *visitors.front();
    const SimVisitor& v1 = visitors.size() < 2 ? v0 : *visitors[1];
    const std::string line0 = VisitorRecords::visitorLine(v0);
    const std::string line1 = VisitorRecords::visitorLine(v1);
    const char esc = WireText::kEsc;
    const char tab = WireText::kTab;
    std::vector<std::string> out;

    out.push_back("@CV:" + WireText::join({keepFields(line0, 1, tab), keepFields(line0, 17, tab),
                                           keepFields(line0, 18, tab), withSurplus(line1, tab), ""},
                                          esc));
    for (const size_t n : {1, 16, 17})
        out.push_back("@EV:" + keepFields(line0, n, tab));
    out.push_back("@EV:" + withSurplus(line1, tab));

    out.push_back("@ER:");
    out.push_back("@ER:" + v0.site);
    out.push_back("@ER:" + v0.site + ":" + v0.ip);
    out.push_back("@ER:" + v0.key() + tab + "surplus");
    out.push_back("@ER:" + v0.key() + ":surplus");

    ChatRecord chat;
    chat.id = "9999001";
    chat.ip = v0.ip;
    chat.visitorName = "Bad Record";
    chat.domain = simulation.siteDomain(v0.site);
    chat.lastActivity = "09:00:00";
    const std::string chatRecord = ChatRecords::visitorRecord(chat);
    out.push_back("@VISITORS:" +
                  WireText::join({keepFields(chatRecord, 1, tab), keepFields(chatRecord, 9, tab),
                                  keepFields(chatRecord, 10, tab), withSurplus(chatRecord, tab)},
                                 esc));

    const std::string client = WireText::split(roster.clients(), esc)[0];
    out.push_back("@CLIENTS:" +
                  WireText::join({keepFields(client, 1, tab), keepFields(client, 5, tab),
                                  keepFields(client, 6, tab), withSurplus(client, tab)},
                                 esc));

    out.push_back("@CHAT:x");
    out.push_back("@CHAT:9999001:" + chat.domain);
    out.push_back("@CHAT:9999002:" + chat.domain + ":Surplus Name:surplus 1:surplus 2");

    out.push_back("@MESSAGE:");
    out.push_back("@MESSAGE:9999001");
    out.push_back("@MESSAGE:9999001\nA line with surplus fields\nsurplus");
    if (!chatId.empty())
        out.push_back("@MESSAGE:" + chatId + "\nA line with surplus fields\nsurplus");

    const Site& s0 = sites.sites().front();
    const Site& s1 = sites.sites().size() > 1 ? sites.sites()[1] : s0;
    const std::string detail = SiteCatalog::siteDetail(s0);
    out.push_back("@SD:" + keepFields(detail, 1, tab));
    out.push_back("@SD:" + keepFields(detail, 6, tab));
    out.push_back("@SD:" + withSurplus(detail, tab));

    const std::string summary0 = SiteCatalog::daySummary(s0);
    const std::string summary1 = SiteCatalog::daySummary(s1);
    out.push_back("@DS:" +
                  WireText::join({keepFields(summary0, 1, tab), keepFields(summary0, 25, tab),
                                  withSurplus(summary1, tab)},
                                 esc));
    return out;
}

std::vector<std::string> FaultFrames::validRecords(const SiteCatalog& sites,
                                                   const OperatorRoster& roster,
                                                   const ChatDesk& chats) {
    return {
        "@CLIENTS:" + roster.clients(),
        "@VISITORS:" + chats.visitors(),
        "@SD:" + SiteCatalog::siteDetail(sites.sites().front()),
        "@DS:" + sites.allDaySummaries(),
    };
}

std::vector<std::string> FaultFrames::wideChars(const Simulation& simulation,
                                                const std::string& chatId) {
    const auto& visitors = simulation.visitors();
    SimVisitor known = visitors.empty() ? standInVisitor() : *visitors.front();
    SimVisitor added = known;
    added.ip = "10.250.0.1";
    added.tail = "wide";
    added.number = 900001;
    std::vector<std::string> out = {stxForm(wideVisitorEvent(known)),
                                    stxForm(wideVisitorEvent(added))};
    if (!chatId.empty()) {
        out.push_back(stxForm(widen("@MESSAGE:" + chatId + "\n") +
                              U"\u4F60\u597D \u263A \U0001F600 \uFFFD " +
                              std::u32string(1, static_cast<char32_t>(0xDC00)) + U" end"));
    }
    return out;
}

}  // namespace TavoroDemo
