// The fault modes that act once monitoring is up: what the connection sends instead of, or
// before, its normal traffic.
#include "ClientSession.h"
#include "FaultFrames.h"
#include "HugeFrameStream.h"

namespace TavoroDemo {
namespace {

constexpr size_t kRandomBytes = 64 * 1024;
constexpr size_t kHugeFrameBytes = 5 * 1024 * 1024;
constexpr size_t kOverCapBytes = 20 * 1024 * 1024;

}  // namespace

void ClientSession::logFaultInjected() {
    m_context.log.connection(m_id, std::string("fault ") + faultModeName(m_fault) + " injected");
}

void ClientSession::injectFault() {
    auto& log = m_context.log;
    const auto wireFrames = [&](const std::vector<FaultFrames::Wire>& frames) {
        for (const auto& w : frames) {
            log.connection(m_id,
                           "-> (" + std::to_string(w.body.size()) + " bytes: " + w.what + ")");
            queue(w.body + std::string(1, '\0'));
        }
    };
    switch (m_fault) {
        case FaultMode::None:
        case FaultMode::CloseAfterHello:
        case FaultMode::CloseAfterSession:
        case FaultMode::DropAfterTake:
            return;
        case FaultMode::Bytewise:
            // The connection has been written byte by byte from the start; it goes on so.
            break;
        case FaultMode::CloseMidFrame: {
            const std::string body =
                m_codec->encode("@CV:" + m_context.simulation.currentVisitors());
            const size_t half = body.size() / 2;
            log.connection(m_id, "-> (" + std::to_string(half) + " of the " +
                                     std::to_string(body.size()) +
                                     " bytes of an \"@CV\" frame, then the end)");
            queue(body.substr(0, half));
            logFaultInjected();
            m_finished = true;
            return;
        }
        case FaultMode::Undecryptable:
            wireFrames(FaultFrames::undecryptable(*m_codec, m_context.random));
            break;
        case FaultMode::BadPad:
            wireFrames(FaultFrames::badPad(*m_codec, m_context.random));
            break;
        case FaultMode::RandomBytes:
            log.connection(
                m_id, "-> (" + std::to_string(kRandomBytes) + " random bytes, the last one a NUL)");
            queue(FaultFrames::randomBytes(m_context.random, kRandomBytes));
            break;
        case FaultMode::HugeFrame: {
            auto stream = std::make_unique<HugeFrameStream>(*m_codec, m_context.random,
                                                            kHugeFrameBytes, kOverCapBytes);
            log.connection(m_id, "-> (a frame of " + std::to_string(stream->textLength()) +
                                     " characters, \"" + HugeFrameStream::kCommand +
                                     "\" and filler; then " + std::to_string(kOverCapBytes) +
                                     " bytes without a NUL, then a NUL)");
            m_stream = std::move(stream);
            break;
        }
        case FaultMode::UnknownCommands:
            for (const auto& text : FaultFrames::unknownCommands())
                send(text);
            break;
        case FaultMode::BadRecords:
            for (const auto& text :
                 FaultFrames::badRecords(m_context.simulation, m_context.sites, m_context.roster,
                                         m_context.chats.activeChatFor(m_id))) {
                send(text);
            }
            // What the bad records may have changed on the client is set right again; the
            // visitors by the fresh "@CV" below.
            for (const auto& text :
                 FaultFrames::validRecords(m_context.sites, m_context.roster, m_context.chats))
                send(text);
            break;
        case FaultMode::WideChars:
            for (const auto& text :
                 FaultFrames::wideChars(m_context.simulation, m_context.chats.activeChatFor(m_id)))
                send(text);
            break;
        case FaultMode::Mute:
            logFaultInjected();
            m_muted = true;
            return;
    }
    logFaultInjected();
    // The client's picture of the visitors starts afresh; it answers with "@STARTEVENTS".
    send("@CV:" + m_context.simulation.currentVisitors());
}

}  // namespace TavoroDemo
