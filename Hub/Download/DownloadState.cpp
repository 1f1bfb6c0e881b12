#include "Hub/Download/DownloadState.h"

namespace Hub {

namespace {

const char* describe(DownloadError::Kind kind)
{
    switch (kind) {
    case DownloadError::Kind::invalidDownloadLocation: return "The download location is invalid.";
    case DownloadError::Kind::unexpectedError: return "The download failed unexpectedly.";
    case DownloadError::Kind::tempFileNotFound: return "The download's temporary file was not found.";
    }
    return "The download failed.";
}

} // namespace

DownloadError::DownloadError(Kind kind) : std::runtime_error(describe(kind)), kind_(kind) {}

} // namespace Hub
