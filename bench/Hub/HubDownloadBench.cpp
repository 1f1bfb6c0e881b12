// Downloads into the hub cache: SHA-256 over 1 GiB in memory beside a single
// EVP_Digest call; a 1 GB loopback transfer through the downloader, plain and
// hashed while it writes, beside the session's plain download, with the growth
// of resident memory while it runs and the offset a transfer cut at 500 MB
// resumes from; and the cache's two ways of confirming 1,000 cached 1 MB files
// without a transfer (same commit, or content matching a SHA-256 etag). Compare
// figures of one run: the machine is shared.
#include "Hub/Api/HubApi.h"
#include "Hub/Download/Downloader.h"
#include "Hub/Download/HubFileDownloader.h"
#include "Platform/Crypto/SHA256.h"
#include "Platform/Net/HTTPSession.h"
#include "bench/ProcessStatus.h"
#include "tests/Support/LoopbackHTTPServer.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

constexpr size_t gibibyte = size_t{1} << 30;
constexpr std::int64_t transferSize = 1'000'000'000;
constexpr size_t blockSize = 1 << 16;

const std::string& patternBlock()
{
    static const std::string block = [] {
        std::string bytes(blockSize, '\0');
        for (size_t index = 0; index < blockSize; ++index)
            bytes[index] = static_cast<char>((index * 131 + 7) & 0xFF);
        return bytes;
    }();
    return block;
}

// The transfer's content at `offset`, `count` bytes of it.
std::string_view contentAt(std::int64_t offset, size_t count)
{
    const size_t start = static_cast<size_t>(offset) % blockSize;
    static const std::string doubled = patternBlock() + patternBlock();
    return std::string_view(doubled).substr(start, std::min(count, blockSize));
}

const std::string& contentDigest()
{
    static const std::string digest = [] {
        Platform::SHA256 hash;
        for (std::int64_t offset = 0; offset < transferSize;) {
            const std::string_view piece =
                contentAt(offset, static_cast<size_t>(std::min<std::int64_t>(blockSize, transferSize - offset)));
            hash.update(piece);
            offset += static_cast<std::int64_t>(piece.size());
        }
        return hash.finishHex();
    }();
    return digest;
}

// Serves `transferSize` bytes of the pattern, one connection at a time,
// honouring "Range: bytes=N-" and closing after `cutAt` bytes of the file when set.
class StreamingServer {
public:
    StreamingServer()
    {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(listener_, 4);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::jthread([this](std::stop_token stop) { serve(stop); });
    }
    ~StreamingServer()
    {
        thread_.request_stop();
        thread_.join();
        close(listener_);
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/file.bin"; }
    std::atomic<std::int64_t> cutAt{-1};
    std::atomic<std::int64_t> lastRangeStart{0};

private:
    void serve(std::stop_token stop)
    {
        while (!stop.stop_requested()) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 20) <= 0)
                continue;
            const int connection = accept(listener_, nullptr, nullptr);
            if (connection >= 0) {
                answer(connection);
                close(connection);
            }
        }
    }

    void answer(int connection)
    {
        std::string head;
        char chunk[4096];
        while (head.find("\r\n\r\n") == std::string::npos) {
            const ssize_t count = recv(connection, chunk, sizeof chunk, 0);
            if (count <= 0)
                return;
            head.append(chunk, static_cast<size_t>(count));
        }
        std::int64_t start = 0;
        if (const size_t range = head.find("Range: bytes="); range != std::string::npos)
            start = std::stoll(head.substr(range + 13));
        lastRangeStart = start;
        const std::int64_t end = cutAt >= 0 && cutAt > start ? cutAt.load() : transferSize;
        const std::string reply = std::string(start > 0 ? "HTTP/1.1 206 Partial\r\n" : "HTTP/1.1 200 OK\r\n") +
                                  "Content-Length: " + std::to_string(transferSize - start) +
                                  "\r\nConnection: close\r\n\r\n";
        send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
        for (std::int64_t offset = start; offset < end;) {
            const std::string_view piece =
                contentAt(offset, static_cast<size_t>(std::min<std::int64_t>(blockSize, end - offset)));
            const ssize_t sent = send(connection, piece.data(), piece.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                return;
            offset += sent;
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::jthread thread_;
};

// The largest growth of resident memory while it lives, sampled every 10 ms.
class ResidentGrowth {
public:
    ResidentGrowth()
        : start_(QelBench::processStatusKiB("VmRSS:")), sampler_([this](std::stop_token stop) {
              while (!stop.stop_requested()) {
                  peak_ = std::max(peak_.load(), QelBench::processStatusKiB("VmRSS:"));
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
          })
    {
    }
    double mebibytes()
    {
        sampler_.request_stop();
        sampler_.join();
        return static_cast<double>(std::max(0L, peak_.load() - start_)) / 1024;
    }

private:
    long start_;
    std::atomic<long> peak_{0};
    std::jthread sampler_;
};

const std::string& gibibyteInMemory()
{
    static const std::string bytes(gibibyte, 'q');
    return bytes;
}

void BM_SHA256Incremental(benchmark::State& state)
{
    const std::string_view bytes = gibibyteInMemory();
    for (auto _ : state) {
        Platform::SHA256 hash;
        for (size_t offset = 0; offset < bytes.size(); offset += size_t{1} << 20)
            hash.update(bytes.substr(offset, size_t{1} << 20));
        benchmark::DoNotOptimize(hash.finish());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_SHA256Incremental)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SHA256OneEVPDigest(benchmark::State& state)
{
    const std::string& bytes = gibibyteInMemory();
    for (auto _ : state) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_SHA256OneEVPDigest)->Unit(benchmark::kMillisecond)->Iterations(3);

std::filesystem::path scratchFolder()
{
    const auto folder = std::filesystem::temp_directory_path() / "qel-hub-download-bench";
    std::filesystem::create_directories(folder);
    return folder;
}

void BM_SessionDownload(benchmark::State& state)
{
    StreamingServer server;
    const Platform::HTTPSession session;
    const auto file = scratchFolder() / "session.bin";
    double growth = 0;
    for (auto _ : state) {
        ResidentGrowth resident;
        session.download(server.url(), file);
        growth = std::max(growth, resident.mebibytes());
    }
    std::filesystem::remove(file);
    state.SetBytesProcessed(state.iterations() * transferSize);
    state.counters["rssGrowthMiB"] = growth;
}
BENCHMARK(BM_SessionDownload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Argument 1: with a SHA-256 etag, hashed while writing.
void BM_DownloaderTransfer(benchmark::State& state)
{
    StreamingServer server;
    const bool hashed = state.range(0) == 1;
    if (hashed)
        contentDigest();
    const auto folder = scratchFolder();
    double growth = 0;
    for (auto _ : state) {
        std::ofstream(folder / "file.incomplete").flush();
        Hub::Downloader downloader(folder / "file.bin", folder / "file.incomplete");
        ResidentGrowth resident;
        auto states = downloader.download(server.url(), std::nullopt, std::nullopt, transferSize, 10, 5,
                                          hashed ? std::optional(contentDigest()) : std::nullopt);
        while (auto next = states.next())
            if (next->kind == Hub::DownloadState::Kind::completed || next->kind == Hub::DownloadState::Kind::failed) {
                if (next->kind == Hub::DownloadState::Kind::failed)
                    state.SkipWithError("the transfer failed");
                break;
            }
        growth = std::max(growth, resident.mebibytes());
    }
    std::filesystem::remove(folder / "file.bin");
    state.SetBytesProcessed(state.iterations() * transferSize);
    state.counters["rssGrowthMiB"] = growth;
}
BENCHMARK(BM_DownloaderTransfer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// A transfer cut at 500 MB, then the resumed one: the offset it asks from.
void BM_DownloaderResumesAfterACut(benchmark::State& state)
{
    StreamingServer server;
    const auto folder = scratchFolder();
    for (auto _ : state) {
        std::ofstream(folder / "cut.incomplete").flush();
        Hub::Downloader downloader(folder / "cut.bin", folder / "cut.incomplete");
        for (const std::int64_t cut : {std::int64_t{500'000'000}, std::int64_t{-1}}) {
            server.cutAt = cut;
            auto states = downloader.download(server.url(), std::nullopt, std::nullopt, transferSize, 10, 0);
            while (auto next = states.next())
                if (next->kind == Hub::DownloadState::Kind::completed || next->kind == Hub::DownloadState::Kind::failed)
                    break;
        }
        state.counters["resumedFromMB"] = static_cast<double>(server.lastRangeStart.load()) / 1e6;
    }
    std::filesystem::remove(folder / "cut.bin");
}
BENCHMARK(BM_DownloaderResumesAfterACut)->Unit(benchmark::kMillisecond)->Iterations(1);

constexpr int cachedFileCount = 1000;
constexpr size_t cachedFileSize = 1'000'000;

// 1,000 cached files of a repository whose hub answers each HEAD with a commit
// and the content's SHA-256 as etag.
struct CachedRepository {
    CachedRepository()
    {
        const std::string content(cachedFileSize, 'c');
        etag = Platform::hexString(Platform::SHA256::digest(content));
        for (int index = 0; index < cachedFileCount; ++index) {
            const std::string name = "f" + std::to_string(index) + ".bin";
            std::filesystem::create_directories(repo());
            std::ofstream(repo() / name, std::ios::binary) << content;
            server.respond("/bench/cache/resolve/main/" + name,
                           {.extraHeaders = "X-Repo-Commit: " + commit + "\r\nETag: \"" + etag + "\"\r\n",
                            .contentLength = cachedFileSize});
        }
    }
    ~CachedRepository() { std::filesystem::remove_all(base); }

    std::filesystem::path repo() const { return base / "models/bench/cache"; }
    std::filesystem::path metadata() const { return repo() / ".cache/modelhub/download"; }

    void confirmAll() const
    {
        const Hub::HubApi hub(base, std::string(""), server.endpoint(), false, false);
        for (int index = 0; index < cachedFileCount; ++index) {
            const Hub::HubApi::HubFileDownloader file{.hub = hub,
                                                      .repo = {"bench/cache"},
                                                      .revision = "main",
                                                      .repoDestination = repo(),
                                                      .repoMetadataDestination = metadata(),
                                                      .relativeFilename = "f" + std::to_string(index) + ".bin",
                                                      .hubToken = hub.hubToken,
                                                      .endpoint = hub.endpoint};
            file.download({});
        }
    }

    std::filesystem::path base = scratchFolder() / "cache";
    std::string commit = "0123456789abcdef0123456789abcdef01234567";
    std::string etag;
    LoopbackHTTPServer server;
};

void BM_CacheHitBySameCommit(benchmark::State& state)
{
    CachedRepository cached;
    cached.confirmAll(); // writes the records
    for (auto _ : state)
        cached.confirmAll();
}
BENCHMARK(BM_CacheHitBySameCommit)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CacheHitByContentHash(benchmark::State& state)
{
    CachedRepository cached;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(cached.metadata());
        state.ResumeTiming();
        cached.confirmAll();
    }
}
BENCHMARK(BM_CacheHitByContentHash)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
