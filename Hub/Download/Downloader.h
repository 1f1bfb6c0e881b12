#pragma once

// Fetches one file over HTTP into a partial file, resuming from what the
// partial file already holds, retrying when the connection breaks in the
// middle of the body, and moving the finished file into place. Everything it
// does is reported as a stream of states; it never throws to its caller.

#include "Hub/Download/Broadcaster.h"
#include "Hub/Download/DownloadState.h"
#include "Platform/Net/HTTPSession.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

namespace Hub {

class PartialFile;

class Downloader {
public:
    using DownloadState = Hub::DownloadState;
    using DownloadError = Hub::DownloadError;
    using Subscription = Broadcaster<DownloadState>::Subscription;

    static constexpr std::int64_t defaultChunkSize = 10'485'760;

    // `inBackground` has no effect here: transfers run in this process only.
    // The partial file is written in batches of at least `chunkSize` bytes.
    Downloader(std::filesystem::path destination, std::filesystem::path incompleteDestination,
               bool inBackground = false, std::int64_t chunkSize = defaultChunkSize);
    // Stops a running transfer and waits for it.
    ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    // Stops any running transfer, starts one from `url` continuing the partial
    // file (which must exist), and returns a new listener. A token that is
    // present and not empty is sent as a bearer token. With `expectedSHA256`
    // the content is hashed while it is written, and a finished file whose
    // digest differs is deleted instead of moved into place.
    Subscription download(const std::string& url, const std::optional<std::string>& token,
                          const std::optional<std::map<std::string, std::string>>& headers,
                          std::optional<std::int64_t> expectedSize, double timeout, int numRetries,
                          std::optional<std::string> expectedSHA256 = std::nullopt);

    // Stops the transfer, keeping the partial file, and reports it failed with
    // Platform::TransferCancelled.
    void cancel();

    Subscription subscribe() { return broadcaster_.subscribe(); }

    const std::filesystem::path& destination() const { return destination_; }
    const std::filesystem::path& incompleteDestination() const { return incompleteDestination_; }

    // The pause before asking again after the connection broke mid-body.
    std::chrono::milliseconds retryWait{1000};

private:
    struct Transfer;
    enum class Outcome { finished, rangeRefused };

    void stopTransfer();
    void run(std::stop_token stop, const Transfer& transfer);
    Outcome fetch(std::stop_token stop, const Transfer& transfer, PartialFile& file);
    void waitBeforeRetry(const std::stop_token& stop) const;

    std::filesystem::path destination_;
    std::filesystem::path incompleteDestination_;
    std::int64_t chunkSize_;
    Broadcaster<DownloadState> broadcaster_;
    Platform::HTTPSession session_;
    std::mutex controlMutex_;
    std::jthread thread_;
};

// Puts a finished file at `destination`, replacing what was there and creating
// its folder, so that after a crash the destination is the old or the whole
// new file. The flag only tells how the caller rendered the paths.
void moveDownloadedFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                        bool percentEncoded = false);

} // namespace Hub
