#pragma once

#include <map>
#include <string>
#include <vector>

namespace TavoroDemo {

// One line of a chat transcript; speaker "0" is the visitor, "n" the n-th operator.
struct ChatLine {
    std::string time;
    std::string speaker;
    std::string text;
};

struct ChatRecord {
    std::string id;
    std::string site;
    std::string ip;
    std::string tail;
    std::string visitorName;
    std::string domain;
    std::string date;
    std::string startTime;
    std::string lastActivity;
    int talkingTo = 0;           // operator connection number; 0 while waiting
    std::vector<int> operators;  // in order of joining; speaker n is operators[n - 1]
    std::vector<std::string> operatorNames;
    std::vector<ChatLine> lines;
    int visitorLines = 0;
    int operatorLines = 0;
    int leaveAfter = 10;
    long seconds = 0;  // duration once ended
};

// The wire texts of chats and the archive of ended ones.
class ChatRecords {
  public:
    // One "@VISITORS" record.
    static std::string visitorRecord(const ChatRecord& chat);
    // "@CURRENTCHAT" data.
    static std::string currentChat(const ChatRecord& chat);

    void archive(const ChatRecord& chat);
    // "@PREVCHATS" data: the ended chats of the address, newest first, and for an address
    // of a returning visitor (tail given) an older chat from an earlier visit.
    std::string previousChats(const std::string& site, const std::string& ip) const;
    // "@PREVCHAT" data; an unknown chat gives the header with an empty transcript.
    std::string previousChat(const std::string& site, const std::string& chatId) const;

  private:
    std::vector<ChatRecord> m_ended;
};

}  // namespace TavoroDemo
