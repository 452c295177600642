#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace Tavoro::Test {

// Throw-away certificates made with the openssl command in a directory the test owns (nothing
// secret is kept in the source tree). make() writes, each as NAME.pem with its key NAME.key:
//   ca         a CA;                          otherca   another CA nobody uses for servers
//   server     for "localhost", from ca;      otherhost for "other.example", from ca
//   expired    for "localhost", from ca, no longer valid
//   selfsigned for "localhost", signed by itself
class TestCertificates {
  public:
    explicit TestCertificates(std::string dir) : m_dir(std::move(dir)) {}

    bool make() {
        return run("printf 'subjectAltName=DNS:localhost\\n' > localhost.ext && "
                   "printf 'subjectAltName=DNS:other.example\\n' > other.ext") &&
               makeCa("ca") && makeCa("otherca") && makeLeaf("server", "localhost", "2") &&
               makeLeaf("otherhost", "other", "2") && makeLeaf("expired", "localhost", "-1") &&
               run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                   "-keyout selfsigned.key -out selfsigned.pem -days 2 -subj /CN=localhost "
                   "-addext subjectAltName=DNS:localhost");
    }

    std::string pem(const std::string& name) const { return m_dir + "/" + name + ".pem"; }
    std::string key(const std::string& name) const { return m_dir + "/" + name + ".key"; }

    // The SHA-256 fingerprint of a certificate as openssl prints it ("AB:CD:...").
    std::string fingerprint(const std::string& name) const {
        const std::string command =
            "openssl x509 -noout -fingerprint -sha256 -in '" + pem(name) + "'";
        std::string out;
        if (FILE* p = ::popen(command.c_str(), "r")) {
            char buf[256];
            while (std::fgets(buf, sizeof buf, p))
                out += buf;
            ::pclose(p);
        }
        const size_t eq = out.find('=');
        if (eq == std::string::npos)
            return std::string();
        out = out.substr(eq + 1);
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
            out.pop_back();
        return out;
    }

  private:
    bool run(const std::string& command) const {
        return std::system(("cd '" + m_dir + "' && (" + command + ") >/dev/null 2>&1").c_str()) ==
               0;
    }
    bool makeCa(const std::string& name) const {
        return run(
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
            "-keyout " +
            name + ".key -out " + name + ".pem -days 2 -subj '/CN=Test " + name + "'");
    }
    // days "-1" makes a certificate that expired at once.
    bool makeLeaf(const std::string& name, const std::string& ext, const std::string& days) const {
        return run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " +
                   name + ".key -out " + name + ".csr -subj /CN=" + name +
                   " && openssl x509 -req -in " + name + ".csr -CA ca.pem -CAkey ca.key " +
                   "-CAcreateserial -days " + days + " -extfile " + ext + ".ext -out " + name +
                   ".pem");
    }

    std::string m_dir;
};

}  // namespace Tavoro::Test
