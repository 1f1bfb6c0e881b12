#include "Platform/Net/HTTPSession.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include <curl/curl.h>

namespace Platform {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

struct CurlCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct HeaderListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

size_t writeToFile(char* data, size_t size, size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

size_t appendToString(char* data, size_t size, size_t count, void* text)
{
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// One header line of the answer; a status line starts the headers afresh, so
// only those of the final answer stay (an interim "100 Continue" has its own).
size_t collectHeader(char* data, size_t size, size_t count, void* headers)
{
    auto& collected = *static_cast<HTTPHeaders*>(headers);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        collected.clear();
        return size * count;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return size * count;
    constexpr std::string_view blanks = " \t\r\n";
    std::string_view value = line.substr(colon + 1);
    value.remove_prefix(std::min(value.find_first_not_of(blanks), value.size()));
    value.remove_suffix(value.size() - std::min(value.find_last_not_of(blanks) + 1, value.size()));
    collected.emplace_back(std::string(line.substr(0, colon)), std::string(value));
    return size * count;
}

bool equalIgnoringASCIICase(std::string_view first, std::string_view second)
{
    return std::ranges::equal(first, second, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

void configureTransfer(CURL* handle, const std::string& url, char* errorText, long idleSeconds)
{
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    // A stalled server fails the transfer instead of hanging it for ever.
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, std::min(idleSeconds, 30L));
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, idleSeconds);
}

// As a browser would, except that a redirect loop ends and no address (given
// or redirected to) reaches a local file or another protocol.
void followRedirects(CURL* handle)
{
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, HTTPSession::maxRedirects);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
}

HTTPResponse finishedResponse(CURL* handle, const std::string& url)
{
    HTTPResponse response;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &response.statusCode);
    const char* effectiveURL = nullptr;
    curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effectiveURL);
    response.url = effectiveURL ? effectiveURL : url;
    response.description = "URL: " + response.url + ", status code: " + std::to_string(response.statusCode);
    return response;
}

std::string failureReason(CURLcode result, const char* errorText)
{
    return errorText[0] != '\0' ? errorText : curl_easy_strerror(result);
}

} // namespace

std::optional<std::string> headerValue(const HTTPHeaders& headers, std::string_view name)
{
    for (const auto& [headerName, value] : headers)
        if (equalIgnoringASCIICase(headerName, name))
            return value;
    return std::nullopt;
}

// The idle connections that copies of a session share, and idle transfer
// handles: a handle keeps the machinery of its earlier transfers, which a new
// one would set up again for every request. curl calls the lock functions
// around every use of the shared cache, from whichever thread transfers.
struct HTTPSession::Connections {
    static constexpr size_t maxIdleHandles = 8;

    Connections() : share(curl_share_init())
    {
        curl_share_setopt(share, CURLSHOPT_LOCKFUNC, lock);
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, unlock);
        curl_share_setopt(share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    ~Connections()
    {
        for (CURL* handle : idleHandles)
            curl_easy_cleanup(handle);
        curl_share_cleanup(share);
    }
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;

    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* self)
    {
        static_cast<Connections*>(self)->mutexes[static_cast<size_t>(data)].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* self)
    {
        static_cast<Connections*>(self)->mutexes[static_cast<size_t>(data)].unlock();
    }

    std::unique_ptr<CURL, CurlCleanup> borrowHandle()
    {
        {
            std::lock_guard lock(handlesMutex);
            if (!idleHandles.empty()) {
                CURL* handle = idleHandles.back();
                idleHandles.pop_back();
                return std::unique_ptr<CURL, CurlCleanup>(handle);
            }
        }
        return std::unique_ptr<CURL, CurlCleanup>(curl_easy_init());
    }

    // A lent handle set up for the request on the shared connections.
    std::unique_ptr<CURL, CurlCleanup> startTransfer(const HTTPRequest& request, char* errorText,
                                                     curl_slist* headerLines)
    {
        auto handle = borrowHandle();
        if (!handle)
            throw NetworkError("Cannot start a transfer for " + request.url);
        configureTransfer(handle.get(), request.url, errorText, static_cast<long>(request.idleTimeout.count()));
        curl_easy_setopt(handle.get(), CURLOPT_SHARE, share);
        curl_easy_setopt(handle.get(), CURLOPT_HTTPHEADER, headerLines);
        return handle;
    }

    // Forgets the transfer's options, which point into the finished call.
    void giveBack(std::unique_ptr<CURL, CurlCleanup> handle)
    {
        curl_easy_reset(handle.get());
        std::lock_guard lock(handlesMutex);
        if (idleHandles.size() < maxIdleHandles)
            idleHandles.push_back(handle.release());
    }

    CURLSH* share;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> mutexes;
    std::mutex handlesMutex;
    std::vector<CURL*> idleHandles;
};

HTTPSession::HTTPSession()
{
    // curl's global set-up is not thread-safe; run it once for the process.
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    connections_ = std::make_shared<Connections>();
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
    configureTransfer(handle.get(), url, errorText, 60);
    followRedirects(handle.get());
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, file.get());

    const CURLcode result = curl_easy_perform(handle.get());
    const bool flushed = std::fflush(file.get()) == 0;
    if (result != CURLE_OK)
        throw NetworkError("Download of " + url + " failed: " + failureReason(result, errorText));
    if (!flushed)
        throw NetworkError("Cannot write download to " + destination.string());
    return finishedResponse(handle.get(), url);
}

namespace {

// The request's header lines for curl; a name or value holding a line break is
// refused.
std::unique_ptr<curl_slist, HeaderListCleanup> headerLines(const HTTPRequest& request)
{
    std::unique_ptr<curl_slist, HeaderListCleanup> headerList;
    for (const auto& [name, value] : request.headers) {
        if (holdsLineBreak(name) || holdsLineBreak(value))
            throw NetworkError("The header " + std::string(holdsLineBreak(name) ? "" : name + " ") +
                               "of a request for " + request.url + " holds a line break");
        const std::string line = value.empty() ? name + ";" : name + ": " + value;
        curl_slist* extended = curl_slist_append(headerList.get(), line.c_str());
        if (!extended)
            throw NetworkError("Cannot start a transfer for " + request.url);
        headerList.release();
        headerList.reset(extended);
    }
    return headerList;
}

// What the write and progress callbacks of a streamed transfer share.
struct StreamState {
    const HTTPBodyReceiver& receiver;
    const std::string& url;
    CURL* handle;
    std::stop_token stop;
    HTTPHeaders headers{};
    bool begun = false;
    bool dropped = false;
    std::exception_ptr failure{};

    // False when the body is not wanted.
    bool beginOnce()
    {
        if (begun)
            return !dropped;
        begun = true;
        HTTPResponse head = finishedResponse(handle, url);
        head.headers = headers;
        dropped = !receiver.begin(head);
        return !dropped;
    }

    static size_t write(char* data, size_t size, size_t count, void* self)
    {
        auto& state = *static_cast<StreamState*>(self);
        try {
            if (state.stop.stop_requested() || !state.beginOnce())
                return CURL_WRITEFUNC_ERROR;
            state.receiver.receive(std::string_view(data, size * count));
        } catch (...) {
            state.failure = std::current_exception();
            return CURL_WRITEFUNC_ERROR;
        }
        return size * count;
    }

    // The end of a header block: unless curl goes on to a redirect's target or
    // the block was an interim answer, the final answer is known, before any
    // body byte (and also for an answer whose body never comes).
    static size_t header(char* data, size_t size, size_t count, void* self)
    {
        auto& state = *static_cast<StreamState*>(self);
        collectHeader(data, size, count, &state.headers);
        const std::string_view line(data, size * count);
        if (line != "\r\n" && line != "\n")
            return size * count;
        long status = 0;
        curl_easy_getinfo(state.handle, CURLINFO_RESPONSE_CODE, &status);
        const bool followed = status >= 300 && status < 400 && headerValue(state.headers, "Location");
        if (status < 200 || followed)
            return size * count;
        try {
            if (!state.beginOnce())
                return 0;
        } catch (...) {
            state.failure = std::current_exception();
            return 0;
        }
        return size * count;
    }

    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<StreamState*>(self)->stop.stop_requested() ? 1 : 0;
    }
};

} // namespace

HTTPResponse HTTPSession::send(const HTTPRequest& request) const
{
    const auto headerList = headerLines(request);

    char errorText[CURL_ERROR_SIZE] = {};
    auto handle = connections_->startTransfer(request, errorText, headerList.get());
    if (request.method == "HEAD")
        curl_easy_setopt(handle.get(), CURLOPT_NOBODY, 1L);
    else if (request.method != "GET")
        curl_easy_setopt(handle.get(), CURLOPT_CUSTOMREQUEST, request.method.c_str());
    std::string body;
    HTTPHeaders headers;
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, appendToString);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle.get(), CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(handle.get(), CURLOPT_HEADERDATA, &headers);

    const CURLcode result = curl_easy_perform(handle.get());
    if (result != CURLE_OK) {
        const std::string reason = failureReason(result, errorText);
        connections_->giveBack(std::move(handle));
        throw NetworkError(request.method + " " + request.url + " failed: " + reason);
    }
    HTTPResponse response = finishedResponse(handle.get(), request.url);
    connections_->giveBack(std::move(handle));
    response.headers = std::move(headers);
    response.body = std::move(body);
    return response;
}

HTTPResponse HTTPSession::stream(const HTTPRequest& request, const HTTPBodyReceiver& receiver,
                                 std::stop_token stop) const
{
    const auto headerList = headerLines(request);
    char errorText[CURL_ERROR_SIZE] = {};
    auto handle = connections_->startTransfer(request, errorText, headerList.get());
    followRedirects(handle.get());
    StreamState state{.receiver = receiver, .url = request.url, .handle = handle.get(), .stop = std::move(stop)};
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, StreamState::write);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(handle.get(), CURLOPT_HEADERFUNCTION, StreamState::header);
    curl_easy_setopt(handle.get(), CURLOPT_HEADERDATA, &state);
    // Called about once a second even while nothing arrives, so a stop request
    // ends a stalled transfer too.
    curl_easy_setopt(handle.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle.get(), CURLOPT_XFERINFOFUNCTION, StreamState::progress);
    curl_easy_setopt(handle.get(), CURLOPT_XFERINFODATA, &state);

    const CURLcode result = curl_easy_perform(handle.get());
    HTTPResponse response = finishedResponse(handle.get(), request.url);
    const std::string reason = failureReason(result, errorText);
    connections_->giveBack(std::move(handle));
    if (state.failure)
        std::rethrow_exception(state.failure);
    if (state.stop.stop_requested())
        throw TransferCancelled();
    if (result != CURLE_OK && !state.dropped)
        throw NetworkError(request.method + " " + request.url + " failed: " + reason);
    response.headers = std::move(state.headers);
    if (!state.begun)
        receiver.begin(response);
    return response;
}

} // namespace Platform
