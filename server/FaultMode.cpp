#include "FaultMode.h"

namespace TavoroDemo {
namespace {

struct NamedMode {
    FaultMode mode;
    const char* name;
};

constexpr NamedMode kModes[] = {
    {FaultMode::CloseAfterHello, "close-after-hello"},
    {FaultMode::CloseAfterSession, "close-after-session"},
    {FaultMode::Bytewise, "bytewise"},
    {FaultMode::CloseMidFrame, "close-mid-frame"},
    {FaultMode::Undecryptable, "undecryptable"},
    {FaultMode::BadPad, "bad-pad"},
    {FaultMode::RandomBytes, "random-bytes"},
    {FaultMode::HugeFrame, "huge-frame"},
    {FaultMode::UnknownCommands, "unknown-commands"},
    {FaultMode::BadRecords, "bad-records"},
    {FaultMode::WideChars, "wide-chars"},
    {FaultMode::Mute, "mute"},
    {FaultMode::DropAfterTake, "drop-after-take"},
};

}  // namespace

const char* faultModeName(FaultMode mode) {
    for (const auto& m : kModes) {
        if (m.mode == mode)
            return m.name;
    }
    return "none";
}

bool faultModeFromName(const std::string& name, FaultMode& mode) {
    for (const auto& m : kModes) {
        if (name == m.name) {
            mode = m.mode;
            return true;
        }
    }
    return false;
}

std::string faultModeNames() {
    std::string out;
    for (const auto& m : kModes) {
        if (!out.empty())
            out += ", ";
        out += m.name;
    }
    return out;
}

bool faultActsAtMonitoringUp(FaultMode mode) {
    return mode != FaultMode::None && mode != FaultMode::CloseAfterHello &&
           mode != FaultMode::CloseAfterSession && mode != FaultMode::DropAfterTake;
}

}  // namespace TavoroDemo
