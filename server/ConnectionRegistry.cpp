#include "ConnectionRegistry.h"

#include "ClientSession.h"

namespace TavoroDemo {

void ConnectionRegistry::add(ClientSession* session) {
    m_sessions[session->id()] = session;
}

void ConnectionRegistry::remove(int connection) {
    m_sessions.erase(connection);
}

void ConnectionRegistry::toWatchers(const std::string& text) {
    for (auto& [id, session] : m_sessions) {
        if (!session->loggedIn() || session->finished())
            continue;
        if (session->eventsStarted())
            session->deliver(text);
        else if (session->awaitingEvents())
            session->hold(text);
    }
}

void ConnectionRegistry::toConnection(int connection, const std::string& text) {
    const auto found = m_sessions.find(connection);
    if (found != m_sessions.end() && found->second->loggedIn() && !found->second->finished())
        found->second->deliver(text);
}

}  // namespace TavoroDemo
