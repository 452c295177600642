// Key exchange: the client's RSA key and its DER public key, and the session data sealed with
// RSA-OAEP(SHA-1) by the openssl command line (tests/data/make-crypto-vectors.sh).
#include <gtest/gtest.h>

#include <botan/base64.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "net/KeyExchange.h"
#include "support/TempDir.h"

using namespace Tavoro::Net;

namespace {

std::map<std::string, std::string> rsaVector() {
    std::string here = __FILE__;
    std::ifstream in(here.substr(0, here.rfind('/')) + "/../data/crypto_rsa_oaep.txt");
    std::map<std::string, std::string> values;
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab != std::string::npos)
            values[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return values;
}

std::vector<uint8_t> fromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

KeyPrimes vectorPrimes(const std::map<std::string, std::string>& v) {
    KeyPrimes primes;
    primes.p = fromHex(v.at("p"));
    primes.q = fromHex(v.at("q"));
    return primes;
}

wxString expectedSessionText(const std::map<std::string, std::string>& v) {
    const auto bytes = fromHex(v.at("plain"));
    return wxString::FromUTF8(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// Output of a command, or empty when it cannot run.
std::string runCommand(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return {};
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), pipe.get())) > 0)
        out.append(buf, n);
    return out;
}

}  // namespace

TEST(KeyExchange, DecryptsOpensslOaepBlocksFromThePrimes) {
    const auto v = rsaVector();
    ASSERT_EQ(v.size(), 5u);
    wxString plain;
    wxString error;
    ASSERT_TRUE(decryptSessionData(vectorPrimes(v), wxString(v.at("sealed")), plain, error))
        << error;
    EXPECT_EQ(plain, expectedSessionText(v));
    // The vector's first block ends inside a two-byte character; joined blocks keep it.
    EXPECT_NE(plain.Find(wxString::FromUTF8("Soci\xc3\xa9t\xc3\xa9 D\xc3\xa9mo \xe2\x82\xac")),
              wxNOT_FOUND);
}

TEST(KeyExchange, SkipsCharactersOutsideTheBase64Alphabet) {
    const auto v = rsaVector();
    const wxString sealed(v.at("sealed"));
    wxString noisy;
    for (size_t i = 0; i < sealed.length(); ++i) {
        noisy += sealed[i];
        if (i % 64 == 63)
            noisy += "\r\n";
        if (i % 97 == 5)
            noisy += L"*\u00e9 -";
    }
    wxString plain;
    wxString error;
    ASSERT_TRUE(decryptSessionData(vectorPrimes(v), noisy, plain, error)) << error;
    EXPECT_EQ(plain, expectedSessionText(v));
}

TEST(KeyExchange, SessionDataFailures) {
    const auto v = rsaVector();
    const KeyPrimes primes = vectorPrimes(v);
    auto sealed = Botan::base64_decode(v.at("sealed"));
    auto corrupted = sealed;
    corrupted[200] ^= 0x01;
    const std::string partial = Botan::base64_encode(sealed.data(), sealed.size() - 10);
    KeyPrimes swapped;
    swapped.p = primes.p;
    swapped.q = fromHex(
        "e7d1bbc1a4fdc5f5c1f8f7d1d1f8e3e3c5b9e9b9b1c1f7e3d1b3f1c3e3f5b1d7a9f1c3e5d7b9a3c7d1f3e"
        "5a7c9e1b3d5f7a9c1e3b5d7f9a1c3e5f7");
    struct Case {
        const char* what;
        KeyPrimes primes;
        std::string data;
    };
    const std::vector<Case> cases = {
        {"no primes (no greeting answered)", KeyPrimes{}, v.at("sealed")},
        {"empty data", primes, ""},
        {"partial block", primes, partial},
        {"corrupted block", primes, Botan::base64_encode(corrupted)},
        {"wrong key", swapped, v.at("sealed")},
        {"far too long (257 blocks)", primes,
         Botan::base64_encode(std::vector<uint8_t>(257 * 128, 1))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wxString plain = "left over";
        wxString error;
        EXPECT_FALSE(decryptSessionData(c.primes, wxString(c.data), plain, error));
        EXPECT_TRUE(plain.empty());
        EXPECT_TRUE(error.StartsWith("Botan Exception Recieved:")) << error;
    }
}

TEST(KeyExchange, PublicKeyDerMatchesOpenssl) {
    const auto v = rsaVector();
    wxString b64;
    wxString error;
    ASSERT_TRUE(publicKeyOfPrimes(vectorPrimes(v), b64, error)) << error;
    EXPECT_EQ(b64, wxString(v.at("der")));
}

TEST(KeyExchange, FreshKeyIsRsa1024WithExponent17AndDecryptsItsOwnBlocks) {
    KeyPrimes primes;
    wxString b64;
    wxString error;
    ASSERT_TRUE(makeClientKey(primes, b64, error)) << error;
    EXPECT_EQ(b64.find_first_of("\r\n"), wxString::npos);
    EXPECT_EQ(primes.p.size(), 64u);
    EXPECT_EQ(primes.q.size(), 64u);

    const auto der = Botan::base64_decode(b64.ToStdString());
    // SubjectPublicKeyInfo: SEQUENCE { SEQUENCE { rsaEncryption OID, NULL }, BIT STRING {...} }
    ASSERT_GE(der.size(), 20u);
    EXPECT_EQ(der[0], 0x30);
    const std::vector<uint8_t> algorithm = {0x30, 0x0d, 0x06, 0x09, 0x2a, 0x86, 0x48, 0x86,
                                            0xf7, 0x0d, 0x01, 0x01, 0x01, 0x05, 0x00};
    EXPECT_TRUE(std::equal(algorithm.begin(), algorithm.end(), der.begin() + 3));
    // The exponent 17 is the last INTEGER: 02 01 11.
    EXPECT_EQ(der[der.size() - 3], 0x02);
    EXPECT_EQ(der[der.size() - 2], 0x01);
    EXPECT_EQ(der[der.size() - 1], 0x11);

    // The primes rebuild the same public key.
    wxString again;
    ASSERT_TRUE(publicKeyOfPrimes(primes, again, error));
    EXPECT_EQ(again, b64);
}

TEST(KeyExchange, OpensslReadsTheFreshKeyAndItsBlocksDecrypt) {
    if (runCommand("openssl version 2>/dev/null").empty())
        GTEST_SKIP() << "no openssl";
    KeyPrimes primes;
    wxString b64;
    wxString error;
    ASSERT_TRUE(makeClientKey(primes, b64, error)) << error;
    Tavoro::Test::TempDir dir;
    const std::string derFile = dir.file("key.der").ToStdString();
    {
        const auto der = Botan::base64_decode(b64.ToStdString());
        std::ofstream out(derFile, std::ios::binary);
        out.write(reinterpret_cast<const char*>(der.data()), der.size());
    }
    const std::string text =
        runCommand("openssl rsa -pubin -inform DER -in '" + derFile + "' -text -noout 2>&1");
    EXPECT_NE(text.find("Public-Key: (1024 bit)"), std::string::npos) << text;
    EXPECT_NE(text.find("Exponent: 17 (0x11)"), std::string::npos) << text;

    // openssl seals two chunks under the fresh key; the client decrypts them from its primes.
    const std::string plainFile = dir.file("plain").ToStdString();
    const std::string blockFile = dir.file("block").ToStdString();
    const std::string first(86, 'a');
    const std::string second = "\tsecond chunk \xc3\xa9";
    std::vector<uint8_t> sealed;
    for (const std::string& chunk : {first, second}) {
        std::ofstream(plainFile, std::ios::binary | std::ios::trunc) << chunk;
        runCommand("openssl pkeyutl -encrypt -pubin -keyform DER -inkey '" + derFile +
                   "' -pkeyopt rsa_padding_mode:oaep -in '" + plainFile + "' -out '" + blockFile +
                   "' 2>&1");
        std::ifstream in(blockFile, std::ios::binary);
        const std::string block((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        ASSERT_EQ(block.size(), 128u);
        sealed.insert(sealed.end(), block.begin(), block.end());
    }
    const std::string joined = Botan::base64_encode(sealed);
    wxString plain;
    ASSERT_TRUE(decryptSessionData(primes, wxString(joined), plain, error)) << error;
    EXPECT_EQ(plain, wxString::FromUTF8((first + second).c_str()));
}

TEST(KeyExchange, SecondKeyReplacesThePrimes) {
    KeyPrimes primes;
    wxString first;
    wxString second;
    wxString error;
    ASSERT_TRUE(makeClientKey(primes, first, error));
    const KeyPrimes old = primes;
    ASSERT_TRUE(makeClientKey(primes, second, error));
    EXPECT_NE(first, second);
    EXPECT_NE(primes.p, old.p);
    wxString again;
    ASSERT_TRUE(publicKeyOfPrimes(primes, again, error));
    EXPECT_EQ(again, second);
}

TEST(KeyExchange, LenientUtf8) {
    struct Case {
        std::string bytes;
        std::wstring text;
    };
    const std::vector<Case> cases = {
        {"plain", L"plain"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", L"caf\u00e9 \u20ac \U0001F600"},
        {"bad \xff byte", L"bad \ufffd byte"},
        {"cut \xe2\x82", L"cut \ufffd\ufffd"},
        {"overlong \xc0\xaf", L"overlong \ufffd\ufffd"},
        {"surrogate \xed\xa0\x80", L"surrogate \ufffd\ufffd\ufffd"},
        {"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decodeUtf8Lenient(c.bytes).ToStdWstring(), c.text) << c.bytes;
    }
}
