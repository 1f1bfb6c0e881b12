#pragma once

// A loopback hub serving one model repository's files at "main", and a client
// of it with its cache in a temporary folder.

#include "Hub/Api/HubApi.h"
#include "Hub/Download/HubFileDownloader.h"
#include "Platform/Crypto/SHA256.h"
#include "Support/LoopbackHTTPServer.h"
#include "Support/TestEnvironment.h"

namespace TestSupport {

inline std::string sha256Hex(std::string_view text)
{
    return Platform::hexString(Platform::SHA256::digest(text));
}

class HubFileFixture {
public:
    static constexpr const char* repoId = "owner/model";
    static inline const std::string commit = std::string(40, 'c');

    // Answers HEAD and GET for the file with the commit and etag headers given.
    void serveFile(const std::string& name, const std::string& body, const std::string& etag,
                   LoopbackHTTPServer::Response response = {}, const std::string& repoCommit = commit)
    {
        response.body = body;
        response.extraHeaders += "X-Repo-Commit: " + repoCommit + "\r\nETag: \"" + etag + "\"\r\n";
        server.respond(std::string("/") + repoId + "/resolve/main/" + name, std::move(response));
    }

    Hub::HubApi client(std::optional<bool> offline = false) const
    {
        return Hub::HubApi(folder / "cache", std::string(""), server.endpoint(), false, offline);
    }

    std::filesystem::path repoFolder() const { return folder / "cache/models/owner/model"; }
    std::filesystem::path metadataFolder() const { return repoFolder() / ".cache/modelhub/download"; }

    Hub::HubApi::HubFileDownloader fileDownloader(const std::string& name) const
    {
        const Hub::HubApi hub = client();
        return {.hub = hub,
                .repo = Hub::Repo{repoId},
                .revision = "main",
                .repoDestination = repoFolder(),
                .repoMetadataDestination = metadataFolder(),
                .relativeFilename = name,
                .hubToken = hub.hubToken,
                .endpoint = hub.endpoint};
    }

    size_t getRequests() const
    {
        size_t count = 0;
        for (const auto& request : server.requests())
            count += request.method == "GET";
        return count;
    }

    LoopbackHTTPServer server;
    TemporaryFolder folder;
};

} // namespace TestSupport
