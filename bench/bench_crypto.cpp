// Cost of the frame crypto and the key exchange, next to the raw AES cost of this machine.
//
//   bench_crypto [google benchmark options]
//
// Per-frame encryption and decryption of 200-byte and 4 KB texts (the whole conversion: text to
// bytes, SHA-256 frame key, cipher set-up, AES-256-ECB, padding, escaping), raw AES-256-ECB on
// a prepared cipher, and RSA-1024 key generation. Every figure in the summary is the median of
// 5 repetitions (20 for key generation). At the end
// the program runs `openssl speed -evp aes-256-ecb` as the hardware's reference and prints the
// per-frame cost of a 4 KB frame as a multiple of the raw AES cost.
#include <benchmark/benchmark.h>

#include <botan/block_cipher.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "net/FrameCrypto.h"
#include "net/KeyExchange.h"

using namespace Tavoro::Net;

namespace {

const std::string kSessionKey = "0f3c9a7d51e2b8846a1d0c7e9f2b3a4c5d6e7f8091a2b3c4d5e6f708192a3b4c";

wxString sampleText(size_t n) {
    wxString text = "@SENDTO:4711:";
    for (size_t i = 0; text.length() < n; ++i)
        text += wxUniChar(static_cast<unsigned>(' ' + i % 95));
    return text.Left(n);
}

// A server-style frame of the text: pad bytes, their count last, escaped.
std::string serverFrame(const wxString& text) {
    std::string bytes = toLatin1(text);
    const size_t pad = 16 - bytes.size() % 16;
    bytes.append(pad - 1, 'p');
    bytes += static_cast<char>(pad);
    auto aes = Botan::BlockCipher::create_or_throw("AES-256");
    aes->set_key(frameKey(kSessionKey));
    std::string cipher(bytes.size(), '\0');
    aes->encrypt_n(reinterpret_cast<const uint8_t*>(bytes.data()),
                   reinterpret_cast<uint8_t*>(&cipher[0]), bytes.size() / 16);
    return escapeCiphertext(cipher);
}

void BM_EncryptFrame(benchmark::State& state) {
    const wxString text = sampleText(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(encryptFrame(kSessionKey, text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncryptFrame)->Arg(200)->Arg(4096)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_DecryptFrame(benchmark::State& state) {
    const std::string frame = serverFrame(sampleText(static_cast<size_t>(state.range(0))));
    std::vector<wxString> statuses;
    for (auto _ : state)
        benchmark::DoNotOptimize(decryptFrame(kSessionKey, frame, &statuses));
    if (!statuses.empty())
        state.SkipWithError("decryption failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecryptFrame)->Arg(200)->Arg(4096)->Repetitions(5)->ReportAggregatesOnly(true);

// AES-256-ECB alone on a prepared cipher: the floor under the per-frame cost.
void BM_RawAes256Ecb(benchmark::State& state) {
    auto aes = Botan::BlockCipher::create_or_throw("AES-256");
    aes->set_key(frameKey(kSessionKey));
    std::vector<uint8_t> buf(static_cast<size_t>(state.range(0)), 0x5a);
    for (auto _ : state) {
        aes->encrypt_n(buf.data(), buf.data(), buf.size() / 16);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_RawAes256Ecb)->Arg(208)->Arg(4112)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_RsaKeyGeneration(benchmark::State& state) {
    KeyPrimes primes;
    wxString publicKey;
    wxString error;
    for (auto _ : state) {
        if (!makeClientKey(primes, publicKey, error))
            state.SkipWithError("key generation failed");
    }
}
BENCHMARK(BM_RsaKeyGeneration)
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// Keeps the median per-iteration real time of each benchmark ("name/arg"), for the summary.
class RecordingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            nanos[name] =
                run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMillisecond ? 1e6 : 1.0);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nanos;
};

std::string run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    if (!pipe)
        return out;
    char buf[512];
    while (fgets(buf, sizeof(buf), pipe.get()))
        out += buf;
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n--- openssl speed -evp aes-256-ecb (hardware reference, same run) ---\n");
    const std::string speed =
        run("openssl speed -seconds 1 -bytes 4096 -evp aes-256-ecb 2>/dev/null | tail -2");
    std::printf("%s", speed.empty() ? "openssl not available\n" : speed.c_str());
    // The last line is "AES-256-ECB <bytes/s in 1000s>k".
    double opensslBytesPerSecond = 0;
    const size_t k = speed.rfind('k');
    const size_t sp = speed.find_last_of(' ', k == std::string::npos ? 0 : k);
    if (k != std::string::npos && sp != std::string::npos) {
        opensslBytesPerSecond = std::stod(speed.substr(sp + 1, k - sp - 1)) * 1000.0;
    }

    const auto& t = reporter.nanos;
    auto get = [&](const std::string& name) {
        const auto it = t.find(name);
        return it == t.end() ? 0.0 : it->second;
    };
    const double enc4k = get("BM_EncryptFrame/4096");
    const double dec4k = get("BM_DecryptFrame/4096");
    const double raw4k = get("BM_RawAes256Ecb/4112");
    std::printf("\n--- summary ---\n");
    for (const char* name : {"BM_EncryptFrame/200", "BM_EncryptFrame/4096", "BM_DecryptFrame/200",
                             "BM_DecryptFrame/4096"}) {
        const double ns = get(name);
        if (ns > 0)
            std::printf("%-24s %10.0f frames/s  (%.2f us/frame)\n", name, 1e9 / ns, ns / 1e3);
    }
    if (raw4k > 0)
        std::printf("raw AES-256-ECB 4112 B    %.2f us (Botan)\n", raw4k / 1e3);
    if (opensslBytesPerSecond > 0) {
        std::printf("raw AES-256-ECB 4112 B    %.2f us (openssl speed)\n",
                    4112.0 / opensslBytesPerSecond * 1e6);
    }
    if (raw4k > 0 && enc4k > 0 && dec4k > 0) {
        std::printf("4 KB frame / raw AES:     encrypt %.1fx, decrypt %.1fx (target: within 5x)\n",
                    enc4k / raw4k, dec4k / raw4k);
    }
    const double keygen = get("BM_RsaKeyGeneration");
    if (keygen > 0)
        std::printf("RSA-1024 key generation:  %.1f ms (median of 20)\n", keygen / 1e6);
    benchmark::Shutdown();
    return 0;
}
