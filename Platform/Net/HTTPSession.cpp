#include "Platform/Net/HTTPSession.h"

#include <cstdio>
#include <memory>
#include <mutex>

#include <curl/curl.h>

namespace Platform {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct CurlCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

size_t writeToFile(char* data, size_t size, size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

} // namespace

HTTPSession::HTTPSession()
{
    // curl's global set-up is not thread-safe; run it once for the process.
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HTTPResponse HTTPSession::download(const std::string& url, const std::filesystem::path& destination) const
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(destination.c_str(), "wb"));
    if (!file)
        throw NetworkError("Cannot write download to " + destination.string());
    std::unique_ptr<CURL, CurlCleanup> handle(curl_easy_init());
    if (!handle)
        throw NetworkError("Cannot start a transfer for " + url);

    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_FOLLOWLOCATION, 1L);
    // A redirect loop ends, and no address (given or redirected to) reaches a
    // local file or another protocol.
    curl_easy_setopt(handle.get(), CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(handle.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_ERRORBUFFER, errorText);
    // A stalled server fails the transfer instead of hanging it for ever.
    curl_easy_setopt(handle.get(), CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(handle.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, file.get());

    const CURLcode result = curl_easy_perform(handle.get());
    const bool flushed = std::fflush(file.get()) == 0;
    if (result != CURLE_OK) {
        const std::string reason = errorText[0] != '\0' ? errorText : curl_easy_strerror(result);
        throw NetworkError("Download of " + url + " failed: " + reason);
    }
    if (!flushed)
        throw NetworkError("Cannot write download to " + destination.string());

    HTTPResponse response;
    curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &response.statusCode);
    const char* effectiveURL = nullptr;
    curl_easy_getinfo(handle.get(), CURLINFO_EFFECTIVE_URL, &effectiveURL);
    response.url = effectiveURL ? effectiveURL : url;
    response.description = "URL: " + response.url + ", status code: " + std::to_string(response.statusCode);
    return response;
}

} // namespace Platform
