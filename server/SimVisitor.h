#pragma once

#include <string>
#include <vector>

namespace TavoroDemo {

// One page a visitor viewed.
struct SimPage {
    std::string time;
    std::string url;
    std::string title;
};

// A visitor of the simulation, on one site. Texts never contain the wire separators.
struct SimVisitor {
    std::string site;
    std::string ip;
    std::string tail;
    long number = 0;       // per site, identifies the visitor with the site key
    long visitNumber = 1;  // 1: first visit
    std::string raisedAlert = "0";
    std::string dns;
    std::string username;
    std::string name;  // the name the visitor gives in a chat
    std::string browser;
    std::string opSys;
    std::string location;
    std::string referrer;
    std::string startTime;
    std::string lastTime;
    std::string flags = std::string(13, 'N');
    std::vector<SimPage> pages;
    bool chatting = false;

    std::string key() const { return site + ":" + ip + ":" + tail; }
    std::string onPage() const { return pages.empty() ? std::string() : pages.back().url; }
};

}  // namespace TavoroDemo
