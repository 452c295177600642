#pragma once

#include <cstdio>
#include <string>

namespace TavoroDemo {

// The server's log: start-up and errors always, every frame only when verbose. Frame texts are
// written readably: control characters as escapes (\t, \n, \r, \e, \xNN), other bytes as their
// ISO 8859-1 characters in UTF-8. Each line is flushed at once, so tests can follow the log.
class ServerLog {
  public:
    // file empty: stderr.
    ServerLog(bool verbose, const std::string& file);
    ~ServerLog();
    ServerLog(const ServerLog&) = delete;
    ServerLog& operator=(const ServerLog&) = delete;

    bool verbose() const { return m_verbose; }
    bool ok() const { return m_out != nullptr; }
    // Keeps visitor event frames ("@EV", "@ER") out of the frame log (load runs).
    void setQuietEvents(bool quiet) { m_quietEvents = quiet; }

    void info(const std::string& text);
    // direction: "<-" received, "->" sent.
    void frame(int connection, const char* direction, const std::string& text);
    void connection(int connection, const std::string& text);

    static std::string readable(const std::string& bytes);

  private:
    void line(const std::string& text);

    bool m_verbose;
    FILE* m_out;
    bool m_ownsFile;
    bool m_quietEvents = false;
};

}  // namespace TavoroDemo
