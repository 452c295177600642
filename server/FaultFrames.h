#pragma once

#include <random>
#include <string>
#include <vector>

#include "ChatDesk.h"
#include "FrameCodec.h"
#include "OperatorRoster.h"
#include "Simulation.h"
#include "SiteCatalog.h"

namespace TavoroDemo {

// The frames that the fault modes send, composed from the server's own records and codec.
// Texts are sent like any message (encrypted); wire bodies are sent as they are, each followed
// by a NUL.
class FaultFrames {
  public:
    struct Wire {
        std::string body;  // the frame body on the wire, without its NUL
        std::string what;  // for the log
    };

    // Frames whose ciphertext cannot be decrypted: plain text, Base64 of ciphertext (not whole
    // blocks), ciphertext one byte short or long, random whole blocks, a stray "%" escape.
    static std::vector<Wire> undecryptable(FrameCodec& codec, std::mt19937_64& random);
    // Frames that decrypt but whose final pad byte is out of range: 0, larger than a block,
    // larger than the text, larger than the whole frame.
    static std::vector<Wire> badPad(const FrameCodec& codec, std::mt19937_64& random);
    // n random bytes, NULs among them, ending with a NUL.
    static std::string randomBytes(std::mt19937_64& random, size_t n);

    // Texts with commands no client knows, or known commands without their data.
    static std::vector<std::string> unknownCommands();
    // Records of "@CV", "@EV", "@ER", "@VISITORS", "@CLIENTS", "@CHAT", "@MESSAGE", "@SD" and
    // "@DS" with missing and with surplus fields. chatId: a chat the client knows (may be empty).
    static std::vector<std::string> badRecords(const Simulation& simulation,
                                               const SiteCatalog& sites,
                                               const OperatorRoster& roster,
                                               const std::string& chatId);
    // The valid messages that undo what badRecords changed on the client, apart from the
    // visitors ("@CLIENTS", "@VISITORS", "@SD" of the first site, "@DS").
    static std::vector<std::string> validRecords(const SiteCatalog& sites,
                                                 const OperatorRoster& roster,
                                                 const ChatDesk& chats);
    // Texts in the STX form with characters above U+00FF: "@EV" updating the first visitor and
    // adding one, and "@MESSAGE" to chatId when it is not empty.
    static std::vector<std::string> wideChars(const Simulation& simulation,
                                              const std::string& chatId);

    // The STX form of a text: STX, then four hexadecimal digits per character; a character
    // above U+FFFF takes two groups (its UTF-16 surrogate pair).
    static std::string stxForm(const std::u32string& text);
    // Bytes to characters of the same code.
    static std::u32string widen(const std::string& bytes);
};

}  // namespace TavoroDemo
