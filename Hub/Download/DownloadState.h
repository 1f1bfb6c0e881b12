#pragma once

// Where one file transfer stands, as its listeners see it, and the errors the
// transfer raises of its own.

#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace Hub {

struct DownloadState {
    enum class Kind { notStarted, downloading, completed, failed };

    Kind kind = Kind::notStarted;
    // Downloading: the share of the expected size on disk (1 is all of it), and
    // the speed in bytes per second when one could be measured.
    double fraction = 0;
    std::optional<double> speed{};
    // Completed: where the file lies.
    std::filesystem::path url{};
    // Failed: why.
    std::exception_ptr error{};

    static DownloadState notStarted() { return {}; }
    static DownloadState downloading(double fraction, std::optional<double> speed)
    {
        return {.kind = Kind::downloading, .fraction = fraction, .speed = speed};
    }
    static DownloadState completed(std::filesystem::path url)
    {
        return {.kind = Kind::completed, .url = std::move(url)};
    }
    static DownloadState failed(std::exception_ptr error) { return {.kind = Kind::failed, .error = error}; }
};

class DownloadError : public std::runtime_error {
public:
    enum class Kind { invalidDownloadLocation, unexpectedError, tempFileNotFound };

    explicit DownloadError(Kind kind);
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

} // namespace Hub
