#include "Hub/Download/Downloader.h"

#include "Hub/Api/EnvironmentError.h"
#include "Hub/Download/PartialFile.h"
#include "Platform/Files/AtomicWrite.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>

namespace Hub {

namespace {

// After a batch is on disk the connection has proven itself again.
constexpr int retriesAfterBatch = 5;

} // namespace

struct Downloader::Transfer {
    std::string url;
    Platform::HTTPHeaders headers{};
    std::optional<std::int64_t> expectedSize;
    std::chrono::seconds idleTimeout;
    int numRetries;
    std::optional<std::string> expectedSHA256;
};

Downloader::Downloader(std::filesystem::path destination, std::filesystem::path incompleteDestination,
                       [[maybe_unused]] bool inBackground, std::int64_t chunkSize)
    : destination_(std::move(destination)), incompleteDestination_(std::move(incompleteDestination)),
      chunkSize_(chunkSize), broadcaster_([] { return std::optional(DownloadState::notStarted()); })
{
}

Downloader::~Downloader()
{
    stopTransfer();
}

void Downloader::stopTransfer()
{
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

Downloader::Subscription Downloader::download(const std::string& url, const std::optional<std::string>& token,
                                              const std::optional<std::map<std::string, std::string>>& headers,
                                              std::optional<std::int64_t> expectedSize, double timeout, int numRetries,
                                              std::optional<std::string> expectedSHA256)
{
    std::lock_guard lock(controlMutex_);
    stopTransfer();
    Transfer transfer{.url = url,
                      .expectedSize = expectedSize,
                      .idleTimeout = std::chrono::seconds(std::max<long long>(1, std::llround(timeout))),
                      .numRetries = numRetries,
                      .expectedSHA256 = std::move(expectedSHA256)};
    if (headers)
        transfer.headers.assign(headers->begin(), headers->end());
    // An empty token would only announce an empty credential.
    if (token && !token->empty())
        transfer.headers.emplace_back("Authorization", "Bearer " + *token);

    std::error_code ignored;
    const auto resumeSize = static_cast<std::int64_t>(std::filesystem::file_size(incompleteDestination_, ignored));
    const bool resumable = !ignored && resumeSize > 0 && expectedSize && *expectedSize >= 1;
    broadcaster_.broadcast(DownloadState::downloading(
        resumable ? static_cast<double>(resumeSize) / static_cast<double>(*expectedSize) : 0, std::nullopt));
    Subscription subscription = broadcaster_.subscribe();
    thread_ = std::jthread([this, transfer = std::move(transfer)](std::stop_token stop) { run(stop, transfer); });
    return subscription;
}

void Downloader::cancel()
{
    {
        std::lock_guard lock(controlMutex_);
        stopTransfer();
    }
    broadcaster_.broadcast(DownloadState::failed(std::make_exception_ptr(Platform::TransferCancelled())));
}

void Downloader::run(std::stop_token stop, const Transfer& transfer)
{
    try {
        PartialFile file(incompleteDestination_, transfer.expectedSHA256.has_value(),
                         static_cast<size_t>(std::max<std::int64_t>(chunkSize_, 0)));
        // A partial file that does not end where the file does is started
        // afresh, once: a server that ignored a range, or content that changed
        // under the same name, leaves nothing to resume.
        bool restarted = false;
        const auto wrongSize = [&] { return transfer.expectedSize && file.size() != *transfer.expectedSize; };
        for (;;) {
            const bool whole = transfer.expectedSize && file.size() == *transfer.expectedSize && file.size() > 0;
            const bool overlong = transfer.expectedSize && file.size() > *transfer.expectedSize;
            if (!whole && !overlong) {
                const Outcome outcome = fetch(stop, transfer, file);
                if (outcome == Outcome::finished && !wrongSize())
                    break;
            } else if (whole) {
                break;
            }
            if (restarted || (transfer.expectedSize && *transfer.expectedSize < 0))
                throw DownloadError(DownloadError::Kind::unexpectedError);
            restarted = true;
            file.truncate();
        }
        if (stop.stop_requested())
            throw Platform::TransferCancelled();
        const std::optional<std::string> digest = file.finishHash();
        file.close();
        if (digest && *digest != *transfer.expectedSHA256) {
            std::filesystem::remove(incompleteDestination_);
            throw EnvironmentError::fileIntegrityError("Hash mismatch for " + destination_.filename().string());
        }
        moveDownloadedFile(incompleteDestination_, destination_);
        broadcaster_.broadcast(DownloadState::completed(destination_));
    } catch (...) {
        broadcaster_.broadcast(DownloadState::failed(std::current_exception()));
    }
}

Downloader::Outcome Downloader::fetch(std::stop_token stop, const Transfer& transfer, PartialFile& file)
{
    int remainingRetries = transfer.numRetries;
    for (;;) {
        Platform::HTTPRequest request{
            .url = transfer.url, .headers = transfer.headers, .idleTimeout = transfer.idleTimeout};
        const std::int64_t resumeSize = file.size();
        if (resumeSize > 0)
            request.headers.emplace_back("Range", "bytes=" + std::to_string(resumeSize) + "-");
        bool begun = false;
        bool rangeRefused = false;
        auto lastReport = std::chrono::steady_clock::now();
        std::int64_t lastReportedSize = resumeSize;

        Platform::HTTPBodyReceiver receiver{
            .begin =
                [&](const Platform::HTTPResponse& head) {
                    begun = true;
                    if (head.statusCode == 416 && resumeSize > 0) {
                        rangeRefused = true;
                        return false;
                    }
                    if (head.statusCode < 200 || head.statusCode > 299)
                        throw DownloadError(DownloadError::Kind::unexpectedError);
                    // The whole file again: what the partial file holds would be
                    // written twice.
                    if (head.statusCode == 200 && file.size() > 0) {
                        file.truncate();
                        lastReportedSize = 0;
                    }
                    return true;
                },
            .receive =
                [&](std::string_view bytes) {
                    file.gather(bytes);
                    if (static_cast<std::int64_t>(file.pending()) < chunkSize_ || file.pending() == 0)
                        return;
                    file.writeBatch();
                    remainingRetries = retriesAfterBatch;
                    if (!transfer.expectedSize)
                        return;
                    const auto now = std::chrono::steady_clock::now();
                    const double elapsed = std::chrono::duration<double>(now - lastReport).count();
                    std::optional<double> speed;
                    if (elapsed > 0)
                        speed = static_cast<double>(file.size() - lastReportedSize) / elapsed;
                    lastReport = now;
                    lastReportedSize = file.size();
                    const double fraction =
                        *transfer.expectedSize == 0
                            ? 0
                            : static_cast<double>(file.size()) / static_cast<double>(*transfer.expectedSize);
                    broadcaster_.broadcast(DownloadState::downloading(fraction, speed));
                },
        };
        try {
            session_.stream(request, receiver, stop);
        } catch (const Platform::TransferCancelled&) {
            throw;
        } catch (const Platform::NetworkError&) {
            // A request that never got an answer is not retried; a body that
            // broke off is asked for again from what is on disk.
            if (!begun || remainingRetries <= 0)
                throw;
            // What was gathered but not written is asked for again.
            file.discardBatch();
            waitBeforeRetry(stop);
            --remainingRetries;
            continue;
        }
        if (rangeRefused)
            return Outcome::rangeRefused;
        if (file.pending() > 0)
            file.writeBatch();
        return Outcome::finished;
    }
}

void Downloader::waitBeforeRetry(const std::stop_token& stop) const
{
    std::mutex mutex;
    std::condition_variable_any stopped;
    std::unique_lock lock(mutex);
    if (stopped.wait_for(lock, stop, retryWait, [] { return false; }) || stop.stop_requested())
        throw Platform::TransferCancelled();
}

void moveDownloadedFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                        [[maybe_unused]] bool percentEncoded)
{
    std::filesystem::create_directories(destination.parent_path());
    Platform::moveFileDurably(source, destination);
}

} // namespace Hub
