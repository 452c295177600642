// What TLS adds to each frame the client reads, next to the frame's own decryption.
//
//   bench_tls [google benchmark options]
//
// A visitor event of about 200 characters, encrypted as the server encrypts it, goes through a
// TLS 1.2 connection between the demo server's TLS end and the client's: sealed into a record
// on the server side, opened on the client side. "One frame per record" is the worst case (a
// server writing each frame as it comes); "64 frames per record" is what a busy server writes.
// The frame's decryption alone is the reference: the TLS cost per frame is the difference.
// Throw-away certificates are made with openssl in a temporary directory.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "TlsEndpoint.h"
#include "net/FrameCrypto.h"
#include "net/TlsChannel.h"

using namespace Tavoro;

namespace {

const std::string kSessionKey = "0f3c9a7d51e2b8846a1d0c7e9f2b3a4c5d6e7f8091a2b3c4d5e6f708192a3b4c";

std::string eventFrame() {
    wxString text = "@EV:S1\t10.0.0.1:1700000000\tann\thttps://one.example/products/item?id=";
    while (text.length() < 200)
        text += "7";
    std::string frame = Net::encryptFrame(kSessionKey, text);
    frame.push_back('\0');
    return frame;
}

// A connected pair: the client's channel and the server's end, joined in memory.
struct Pair {
    std::unique_ptr<Net::TlsChannel> client;
    std::unique_ptr<TavoroDemo::TlsEndpoint> server;
    std::string toServer;
    size_t plainBytes = 0;

    bool open(const std::string& dir) {
        std::string error;
        auto identity =
            TavoroDemo::TlsIdentity::load(dir + "/server.pem", dir + "/server.key", error);
        if (!identity)
            return false;
        server = std::make_unique<TavoroDemo::TlsEndpoint>(identity);
        Net::TlsOptions options;
        options.enabled = true;
        options.hostName = "localhost";
        options.caFile = dir + "/ca.pem";
        client = std::make_unique<Net::TlsChannel>(
            options,
            [this](const uint8_t* data, size_t size) {
                toServer.append(reinterpret_cast<const char*>(data), size);
                return true;
            },
            [this](const uint8_t*, size_t size) { plainBytes += size; });
        if (!client->start())
            return false;
        for (int round = 0; round < 10 && !client->active(); ++round) {
            std::string plain;
            server->received(toServer.data(), toServer.size(), plain);
            toServer.clear();
            std::string& out = server->output();
            client->received(reinterpret_cast<const uint8_t*>(out.data()), out.size());
            out.clear();
        }
        return client->active();
    }
};

const std::string& certDir() {
    static const std::string dir = [] {
        char tmpl[] = "/tmp/tavoro-bench-tls-XXXXXX";
        std::string d = ::mkdtemp(tmpl) ? tmpl : "";
        const std::string make =
            "cd " + d +
            " && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
            "-keyout ca.key -out ca.pem -days 2 -subj /CN=CA && openssl req -newkey ec -pkeyopt "
            "ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.csr -subj "
            "/CN=localhost && printf 'subjectAltName=DNS:localhost\\n' > san && openssl x509 "
            "-req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile san "
            "-out server.pem";
        if (d.empty() || std::system((make + " >/dev/null 2>&1").c_str()) != 0)
            return std::string();
        return d;
    }();
    return dir;
}

void BM_FrameDecryptOnly(benchmark::State& state) {
    std::string frame = eventFrame();
    frame.pop_back();
    for (auto _ : state)
        benchmark::DoNotOptimize(Net::decryptFrame(kSessionKey, frame, nullptr));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FrameDecryptOnly)->Repetitions(5)->ReportAggregatesOnly(true);

// Per frame: the server seals `perRecord` frames into one record and the client opens it.
void BM_TlsPerFrame(benchmark::State& state) {
    const size_t perRecord = static_cast<size_t>(state.range(0));
    Pair pair;
    if (certDir().empty() || !pair.open(certDir())) {
        state.SkipWithError("no TLS connection (openssl missing?)");
        return;
    }
    std::string batch;
    for (size_t i = 0; i < perRecord; ++i)
        batch += eventFrame();
    for (auto _ : state) {
        pair.server->send(batch);
        std::string& out = pair.server->output();
        pair.client->received(reinterpret_cast<const uint8_t*>(out.data()), out.size());
        out.clear();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(perRecord));
    state.SetLabel(pair.client->agreed());
}
BENCHMARK(BM_TlsPerFrame)->Arg(1)->Arg(64)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
