#include "ServerLog.h"

namespace TavoroDemo {

ServerLog::ServerLog(bool verbose, const std::string& file)
    : m_verbose(verbose), m_out(stderr), m_ownsFile(false) {
    if (!file.empty()) {
        m_out = std::fopen(file.c_str(), "a");
        m_ownsFile = m_out != nullptr;
    }
}

ServerLog::~ServerLog() {
    if (m_ownsFile)
        std::fclose(m_out);
}

void ServerLog::info(const std::string& text) {
    line(text);
}

void ServerLog::frame(int connection, const char* direction, const std::string& text) {
    if (!m_verbose)
        return;
    if (m_quietEvents && (text.compare(0, 4, "@EV:") == 0 || text.compare(0, 4, "@ER:") == 0))
        return;
    line("[" + std::to_string(connection) + "] " + direction + " " + readable(text));
}

void ServerLog::connection(int connection, const std::string& text) {
    if (!m_verbose)
        return;
    line("[" + std::to_string(connection) + "] " + text);
}

void ServerLog::line(const std::string& text) {
    if (!m_out)
        return;
    std::fputs(text.c_str(), m_out);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}

std::string ServerLog::readable(const std::string& bytes) {
    static const char* const hex = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case 27:
                out += "\\e";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\x";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                } else if (c < 0x80) {
                    out += static_cast<char>(c);
                } else {
                    out += static_cast<char>(0xC0 | (c >> 6));
                    out += static_cast<char>(0x80 | (c & 0x3F));
                }
        }
    }
    return out;
}

}  // namespace TavoroDemo
