#pragma once

// A loopback hub serving the speech engine's model repository at "main": one
// folder per model variant, an optional model-support table, and other
// repositories (such as a tokenizer's) beside it.

#include "Platform/Files/ReadFile.h"
#include "Support/LoopbackHTTPServer.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace TestSupport {

class ModelRepositoryHub {
public:
    static constexpr const char* modelRepository = "radozod/radozoderi-coreml";

    // Serves `path` of the repository with `body`; the listing follows.
    void addFile(const std::string& path, std::string body, const std::string& repository = modelRepository)
    {
        LoopbackHTTPServer::Response response{.body = std::move(body)};
        // An etag that is no SHA-256, so the client keeps the body unverified.
        response.extraHeaders = "X-Repo-Commit: " + std::string(40, 'c') + "\r\nETag: \"etag-" +
                                std::to_string(files_[repository].size()) + "\"\r\n";
        server.respond("/" + repository + "/resolve/main/" + path, std::move(response));
        files_[repository].push_back(path);
        server.respondListing("models", repository, "main", files_[repository]);
    }

    // Serves every file below `source` as `name`/relative path (the relative
    // path alone without a name).
    void addFolder(const std::string& name, const std::filesystem::path& source,
                   const std::string& repository = modelRepository)
    {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(source))
            if (entry.is_regular_file())
                addFile((name.empty() ? "" : name + "/") + entry.path().lexically_relative(source).generic_string(),
                        Platform::readFile(entry.path()), repository);
    }

    // Every path of the repository, in the order added.
    const std::vector<std::string>& files(const std::string& repository = modelRepository)
    {
        return files_[repository];
    }

    // The files fetched (GET) so far, as repository paths.
    std::vector<std::string> downloaded(const std::string& repository = modelRepository) const
    {
        const std::string prefix = "/" + repository + "/resolve/main/";
        std::vector<std::string> paths;
        for (const auto& request : server.requests())
            if (request.method == "GET" && request.target.starts_with(prefix))
                paths.push_back(request.target.substr(prefix.size()));
        return paths;
    }

    LoopbackHTTPServer server;

private:
    std::map<std::string, std::vector<std::string>> files_;
};

} // namespace TestSupport
