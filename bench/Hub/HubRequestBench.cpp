// Hub requests against the loopback hub: the listing followed by 100 metadata
// HEAD requests through the client, beside bare libcurl HEAD requests on one
// reused handle; and the CPU the network monitor's watcher takes while the
// network is quiet. On a busy machine compare the request benchmarks with
// --benchmark_repetitions and --benchmark_enable_random_interleaving, so that
// both meet the same load.
#include "Hub/Api/HubApi.h"
#include "Hub/Offline/InterfacePathSource.h"
#include "tests/Support/LoopbackHTTPServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int fileCount = 100;

std::vector<std::string> fileNames()
{
    std::vector<std::string> names;
    for (int index = 0; index < fileCount; ++index)
        names.push_back("file" + std::to_string(index) + ".bin");
    return names;
}

// A hub that lists `fileCount` files and answers each HEAD as the hub does.
void serveRepository(LoopbackHTTPServer& server)
{
    server.respondListing("models", "bench/model", "main", fileNames());
    for (const std::string& name : fileNames())
        server.respond("/bench/model/resolve/main/" + name,
                       {.body = std::string(1024, 'x'),
                        .extraHeaders = "X-Repo-Commit: 0123456789abcdef0123456789abcdef01234567\r\n"
                                        "X-Linked-Etag: \"abc\"\r\nX-Linked-Size: 1024\r\n"});
}

// The connections the HEAD requests came on.
size_t connectionsUsed(const LoopbackHTTPServer& server)
{
    std::set<int> connections;
    for (const auto& request : server.requests())
        if (request.target.find("/resolve/") != std::string::npos)
            connections.insert(request.connection);
    return connections.size();
}

// Per HEAD request: the whole listing plus 100 metadata requests, divided by 101.
void BM_HubListingAndHeads(benchmark::State& state)
{
    LoopbackHTTPServer server;
    serveRepository(server);
    const Hub::HubApi api(std::filesystem::temp_directory_path(), std::string("token"), server.endpoint());
    api.getFileMetadata(Hub::Repo{"bench/model"}, "main", std::vector<std::string>{}); // connections made
    for (auto _ : state) {
        auto metadata = api.getFileMetadata(Hub::Repo{"bench/model"}, "main", std::vector<std::string>{});
        benchmark::DoNotOptimize(metadata);
    }
    state.SetItemsProcessed(state.iterations() * (fileCount + 1));
    state.counters["connections"] = static_cast<double>(connectionsUsed(server));
}
BENCHMARK(BM_HubListingAndHeads)->Unit(benchmark::kMillisecond);

size_t ignoreBody(char*, size_t size, size_t count, void*)
{
    return size * count;
}

// The same 101 requests as bare libcurl HEADs on one reused handle.
void BM_BareCurlHeads(benchmark::State& state)
{
    LoopbackHTTPServer server;
    serveRepository(server);
    CURL* handle = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Authorization: Bearer token");
    headers = curl_slist_append(headers, "Accept-Encoding: identity");
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, ignoreBody);
    std::vector<std::string> urls{server.baseURL() + "api/models/bench/model/revision/main"};
    for (const std::string& name : fileNames())
        urls.push_back(server.baseURL() + "bench/model/resolve/main/" + name);
    for (auto _ : state) {
        for (const std::string& url : urls) {
            curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
            benchmark::DoNotOptimize(curl_easy_perform(handle));
        }
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(handle);
    state.SetItemsProcessed(state.iterations() * (fileCount + 1));
    state.counters["connections"] = static_cast<double>(connectionsUsed(server));
}
BENCHMARK(BM_BareCurlHeads)->Unit(benchmark::kMillisecond);

double processCPUSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The watcher's share of one core over a quiet minute; the benchmark thread
// only sleeps meanwhile.
void BM_MonitorIdle(benchmark::State& state)
{
    for (auto _ : state) {
        Hub::InterfacePathSource source;
        const auto subscription = source.subscribe([](const Hub::NetworkPath&) {});
        const double cpuBefore = processCPUSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(state.range(0)));
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["cpu_percent"] = 100 * (processCPUSeconds() - cpuBefore) / wall;
        source.unsubscribe(subscription);
    }
}
BENCHMARK(BM_MonitorIdle)->Arg(60)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
