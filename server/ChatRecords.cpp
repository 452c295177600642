#include "ChatRecords.h"

#include "WireText.h"

namespace TavoroDemo {
namespace {

constexpr size_t kMaxArchived = 2000;

std::string transcript(const std::vector<ChatLine>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines)
        out.push_back(WireText::join({l.time, l.speaker, l.text}, WireText::kTab));
    return WireText::join(out, WireText::kCr);
}

// The chat of an earlier visit that every address has: its id is "H" and the address digits.
std::string olderChatId(const std::string& ip) {
    std::string id = "H";
    for (const char c : ip) {
        if (c >= '0' && c <= '9')
            id += c;
        else
            id += '-';
    }
    return id;
}

ChatRecord olderChat(const std::string& site, const std::string& ip) {
    ChatRecord chat;
    chat.id = olderChatId(ip);
    chat.site = site;
    chat.ip = ip;
    chat.visitorName = "Returning visitor";
    chat.date = "2026-11-20";
    chat.startTime = "14:05:10";
    chat.operatorNames = {"Sam Sim"};
    chat.lines = {{"14:05:10", "0", "Is the shop open on Sundays?"},
                  {"14:05:31", "1", "Yes, from ten to four."},
                  {"14:05:40", "0", "Thank you!"}};
    chat.seconds = 95;
    return chat;
}

}  // namespace

std::string ChatRecords::visitorRecord(const ChatRecord& chat) {
    return WireText::join({chat.id, chat.ip, chat.visitorName, chat.domain, chat.lastActivity,
                           chat.talkingTo ? std::to_string(chat.talkingTo) : std::string(), "Sales",
                           "en", "N", "", ""},
                          WireText::kTab);
}

std::string ChatRecords::currentChat(const ChatRecord& chat) {
    return chat.site + ":" + chat.ip + ":" + chat.tail + WireText::kLf +
           WireText::join({chat.id, chat.visitorName, WireText::join(chat.operatorNames, ','), ""},
                          WireText::kTab) +
           WireText::kEsc + transcript(chat.lines);
}

void ChatRecords::archive(const ChatRecord& chat) {
    if (m_ended.size() >= kMaxArchived)
        m_ended.erase(m_ended.begin());
    m_ended.push_back(chat);
}

std::string ChatRecords::previousChats(const std::string& site, const std::string& ip) const {
    std::vector<std::string> records;
    std::vector<ChatRecord> chats;
    for (auto it = m_ended.rbegin(); it != m_ended.rend(); ++it) {
        if (it->site == site && it->ip == ip)
            chats.push_back(*it);
    }
    chats.push_back(olderChat(site, ip));
    for (const auto& c : chats) {
        const std::string user = c.operatorNames.empty() ? std::string() : c.operatorNames[0];
        records.push_back(WireText::join({c.date + " " + c.startTime, c.visitorName, c.id, user,
                                          "Sales", std::to_string(c.seconds)},
                                         WireText::kTab));
    }
    return site + ":" + ip + WireText::kLf + WireText::join(records, WireText::kEsc);
}

std::string ChatRecords::previousChat(const std::string& site, const std::string& chatId) const {
    ChatRecord chat;
    bool found = false;
    for (auto it = m_ended.rbegin(); it != m_ended.rend() && !found; ++it) {
        if (it->id == chatId) {
            chat = *it;
            found = true;
        }
    }
    if (!found && chatId.size() > 1 && chatId[0] == 'H') {
        std::string ip = chatId.substr(1);
        for (char& c : ip) {
            if (c == '-')
                c = '.';
        }
        chat = olderChat(site, ip);
        found = true;
    }
    if (!found) {
        chat.id = chatId;
        chat.site = site;
    }
    // The first transcript line is a heading the client does not show.
    std::vector<ChatLine> lines = {{chat.startTime, "", "Chat " + chat.id}};
    lines.insert(lines.end(), chat.lines.begin(), chat.lines.end());
    return chat.site + ":" + chat.ip + WireText::kLf +
           WireText::join({chat.id, chat.visitorName, WireText::join(chat.operatorNames, ','), ""},
                          WireText::kTab) +
           WireText::kEsc + transcript(lines);
}

}  // namespace TavoroDemo
