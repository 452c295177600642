#pragma once

#include <string>

namespace TavoroDemo {

// A fault the server can play on its first connections, so that the client's handling of a
// misbehaving server can be tried out. The names are those of the "--fault" option.
enum class FaultMode {
    None,
    CloseAfterHello,    // "close-after-hello": close right after the greeting
    CloseAfterSession,  // "close-after-session": close right after the session data
    Bytewise,           // "bytewise": every byte its own write, paced
    CloseMidFrame,      // "close-mid-frame": half a frame, then close
    Undecryptable,      // "undecryptable": frames that cannot be decrypted
    BadPad,             // "bad-pad": frames whose final pad byte is out of range
    RandomBytes,        // "random-bytes": about 64 KB of random bytes
    HugeFrame,          // "huge-frame": a frame of several MB, then one over the frame cap
    UnknownCommands,    // "unknown-commands": frames with commands nobody knows
    BadRecords,         // "bad-records": records with missing and with surplus fields
    WideChars,          // "wide-chars": characters above U+00FF in the STX form
    Mute,               // "mute": nothing more is sent, input is still read
    DropAfterTake,      // "drop-after-take": the connection ends, unannounced, once the
                        // operator has taken a chat (the chat waits for an operator again)
};

// The option name of a mode ("none" for None).
const char* faultModeName(FaultMode mode);
// The mode of an option name; false for a name that is none of them.
bool faultModeFromName(const std::string& name, FaultMode& mode);
// Every mode's name, separated by ", ", for the usage text.
std::string faultModeNames();
// Whether the mode acts once monitoring is up (the first "@STARTEVENTS" of the connection).
bool faultActsAtMonitoringUp(FaultMode mode);

}  // namespace TavoroDemo
