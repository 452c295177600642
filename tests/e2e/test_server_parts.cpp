// The demo server's own parts, without the client's code: its frame codec against the openssl
// vectors (tests/data/make-crypto-vectors.sh), its frame reader, its operator list and the
// sealing of the session data.
#include <gtest/gtest.h>

#include <botan/auto_rng.h>
#include <botan/base64.h>
#include <botan/bigint.h>
#include <botan/block_cipher.h>
#include <botan/hash.h>
#include <botan/pubkey.h>
#include <botan/rsa.h>
#include <botan/x509_key.h>

#include <fstream>
#include <map>
#include <sstream>

#include "DemoModel.h"
#include "FrameCodec.h"
#include "FrameReader.h"
#include "SessionSealer.h"

using namespace TavoroDemo;

namespace {

std::string dataFile(const std::string& name) {
    std::string here = __FILE__;
    return here.substr(0, here.rfind('/')) + "/../data/" + name;
}

std::vector<std::vector<std::string>> readTable(const std::string& name) {
    std::ifstream in(dataFile(name));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream cut(line);
        std::string field;
        while (std::getline(cut, field, '\t'))
            fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

std::string fromHex(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

std::string aesDecrypt(const std::string& keyText, const std::string& cipher) {
    auto sha = Botan::HashFunction::create_or_throw("SHA-256");
    sha->update(keyText);
    auto bc = Botan::BlockCipher::create_or_throw("AES-256");
    bc->set_key(sha->final());
    std::string out(cipher.size(), '\0');
    bc->decrypt_n(reinterpret_cast<const uint8_t*>(cipher.data()),
                  reinterpret_cast<uint8_t*>(&out[0]), cipher.size() / 16);
    return out;
}

}  // namespace

TEST(ServerFrameCodec, DecodesClientFramesMadeByOpenssl) {
    std::mt19937_64 random(1);
    const auto rows = readTable("crypto_aes_pkcs7.txt");
    ASSERT_GE(rows.size(), 8u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0] + " / " + row[2].substr(0, 40));
        FrameCodec codec(row[0], random);
        std::string text;
        std::string error;
        ASSERT_TRUE(codec.decode(FrameCodec::escape(fromHex(row[3])), text, error)) << error;
        EXPECT_EQ(text, fromHex(row[2]));
    }
}

TEST(ServerFrameCodec, UnescapesTheEscapedOpensslFrames) {
    int checked = 0;
    for (const auto& row : readTable("crypto_server_frames.txt")) {
        if (row[3] == "ERROR")
            continue;
        SCOPED_TRACE(row[0]);
        const std::string frame = fromHex(row[2]);
        std::string cipher = FrameCodec::unescape(frame);
        if (cipher.size() % 16 != 0)
            cipher = frame;  // sent as it is (see the codec)
        ASSERT_EQ(cipher.size() % 16, 0u);
        std::string plain = aesDecrypt(row[1], cipher);
        plain.resize(plain.size() - static_cast<unsigned char>(plain.back()));
        EXPECT_EQ(plain, fromHex(row[3]));
        ++checked;
    }
    EXPECT_GE(checked, 20);
}

TEST(ServerFrameCodec, EncodesWithIso10126PaddingAndEscapes) {
    std::mt19937_64 random(42);
    FrameCodec codec("k", random);
    int escaped = 0;
    for (size_t n = 0; n < 200; ++n) {
        const std::string text(n, static_cast<char>('a' + n % 26));
        const std::string frame = codec.encode(text);
        EXPECT_EQ(frame.find('\0'), std::string::npos);
        const std::string cipher = FrameCodec::unescape(frame);
        if (cipher.size() != frame.size())
            ++escaped;
        ASSERT_EQ(cipher.size() % 16, 0u);
        const std::string plain = aesDecrypt("k", cipher);
        const size_t pad = static_cast<unsigned char>(plain.back());
        EXPECT_EQ(pad, 16 - n % 16) << n;
        EXPECT_EQ(plain.substr(0, n), text);
    }
    EXPECT_GT(escaped, 0);  // some ciphertexts held a NUL
}

TEST(ServerFrameCodec, RefusesBadClientFrames) {
    std::mt19937_64 random(1);
    FrameCodec codec("k", random);
    FrameCodec other("other", random);
    struct Case {
        const char* what;
        std::string frame;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"not whole blocks", "abc"},
        {"ISO10126 pad is not PKCS#7", codec.encode("0123456789")},
        {"wrong key", other.encode(std::string(16, '\x10'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = "unchanged";
        std::string error;
        EXPECT_FALSE(codec.decode(c.frame, text, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(text, "unchanged");
    }
}

TEST(ServerFrameReader, CutsFramesAndResyncsAfterOversizedOnes) {
    struct Case {
        const char* what;
        std::vector<std::string> chunks;
        std::vector<std::string> frames;
        size_t dropped;
    };
    const std::string nul(1, '\0');
    const std::vector<Case> cases = {
        {"two frames in one read", {"A" + nul + "B" + nul}, {"A", "B"}, 0},
        {"frame split over reads", {"AB", "C" + nul}, {"ABC"}, 0},
        {"NUL alone in the next read", {"ABC", nul}, {"ABC"}, 0},
        {"empty frames skipped", {nul + nul + "x" + nul + nul}, {"x"}, 0},
        {"oversized frame dropped up to its NUL",
         {"0123456789", "abc" + nul + "ok" + nul},
         {"ok"},
         1},
        {"oversized in one read", {"0123456789abcdef" + nul + "ok" + nul}, {"ok"}, 1},
        {"limit itself is fine", {"01234567" + nul}, {"01234567"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FrameReader reader(8);
        std::vector<std::string> frames;
        for (const auto& chunk : c.chunks)
            reader.feed(chunk.data(), chunk.size(), frames);
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(reader.droppedFrames(), c.dropped);
    }
}

TEST(ServerModel, OperatorLists) {
    DemoModel model;
    EXPECT_NE(model.checkLogin("demo", "demo"), nullptr);
    EXPECT_NE(model.checkLogin("support", "support"), nullptr);
    EXPECT_EQ(model.checkLogin("demo", "Demo"), nullptr);
    EXPECT_EQ(model.checkLogin("", ""), nullptr);

    std::string error;
    ASSERT_TRUE(
        model.parseOperators("# comment\r\nann\tsecret\tAnn Example\r\n\nbob\t\tBob\n", error))
        << error;
    ASSERT_EQ(model.operators().size(), 2u);
    EXPECT_EQ(model.operators()[0].displayName, "Ann Example");
    EXPECT_NE(model.checkLogin("bob", ""), nullptr);
    EXPECT_EQ(model.checkLogin("demo", "demo"), nullptr);

    for (const char* bad : {"name only\n", "a\tb\n", "a\tb\tc\td\n", "\tpw\tName\n", "# none\n"}) {
        DemoModel m;
        std::string why;
        EXPECT_FALSE(m.parseOperators(bad, why)) << bad;
        EXPECT_FALSE(why.empty());
        EXPECT_NE(m.checkLogin("demo", "demo"), nullptr);  // unchanged
    }
}

TEST(ServerSessionSealer, SealsForTheVectorKeyInOaepBlocks) {
    std::map<std::string, std::string> v;
    for (const auto& row : readTable("crypto_rsa_oaep.txt"))
        v[row[0]] = row[1];
    ASSERT_EQ(v.size(), 5u);
    std::string data;
    for (int i = 0; data.size() < 300; ++i)
        data += "field " + std::to_string(i) + "\t";
    std::string sealed;
    std::string error;
    ASSERT_TRUE(SessionSealer::seal(v["der"], data, sealed, error)) << error;
    EXPECT_EQ(sealed.find_first_of("\r\n"), std::string::npos);
    const auto bytes = Botan::base64_decode(sealed);
    ASSERT_EQ(bytes.size(), 128u * ((data.size() + 85) / 86));

    const std::string p = fromHex(v["p"]);
    const std::string q = fromHex(v["q"]);
    const Botan::RSA_PrivateKey key(
        Botan::BigInt::decode(reinterpret_cast<const uint8_t*>(p.data()), p.size()),
        Botan::BigInt::decode(reinterpret_cast<const uint8_t*>(q.data()), q.size()), 17);
    Botan::AutoSeeded_RNG rng;
    Botan::PK_Decryptor_EME decryptor(key, rng, "EME1(SHA-1)");
    std::string plain;
    for (size_t at = 0; at < bytes.size(); at += 128) {
        const auto block = decryptor.decrypt(bytes.data() + at, 128);
        EXPECT_LE(block.size(), 86u);
        plain.append(block.begin(), block.end());
    }
    EXPECT_EQ(plain, data);
}

TEST(ServerSessionSealer, RefusesKeysItCannotUse) {
    Botan::AutoSeeded_RNG rng;
    const Botan::RSA_PrivateKey big(rng, 2048, 17);
    const std::string bigKey = Botan::base64_encode(Botan::X509::BER_encode(big));
    for (const std::string& key : {std::string("garbage!"), std::string("QUJD"), bigKey}) {
        std::string sealed;
        std::string error;
        EXPECT_FALSE(SessionSealer::seal(key, "data", sealed, error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(SessionSealer::newSessionKey().size(), 64u);
    EXPECT_NE(SessionSealer::newSessionKey(), SessionSealer::newSessionKey());
}
