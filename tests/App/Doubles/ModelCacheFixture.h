#pragma once

// Model-file caches of a test's own, with or without a loopback server as the
// model download base.

#include "Support/LoopbackHTTPServer.h"
#include "Support/TestEnvironment.h"
#include "tools/RandomGgmlModel/RandomGgmlModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// A model-file cache of the test's own: XDG_DATA_HOME in a temporary folder.
class PrivateModelCache {
public:
    std::filesystem::path cacheFolder() const { return dataHome.path() / "com.tolvek.qel" / "models"; }

    void putInCache(const std::string& fileName, const std::string& content) const
    {
        std::filesystem::create_directories(cacheFolder());
        std::ofstream(cacheFolder() / fileName, std::ios::binary) << content;
    }

    std::vector<std::filesystem::path> cachedFiles() const
    {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::exists(cacheFolder()))
            for (const auto& entry : std::filesystem::directory_iterator(cacheFolder()))
                files.push_back(entry.path().filename());
        std::sort(files.begin(), files.end());
        return files;
    }

    // The bytes of a whole, very small English-only model file.
    static const std::string& modelBytes()
    {
        static const std::string bytes = [] {
            const auto model = QelTools::randomGgmlModel({.seed = 3, .vocab = 51864, .ftype = 1, .width = 8,
                                                          .heads = 2, .layers = 1, .mels = 4, .audioCtx = 4,
                                                          .textCtx = 8});
            return std::string(reinterpret_cast<const char*>(model.data()), model.size());
        }();
        return bytes;
    }

    TestSupport::TemporaryFolder dataHome;
    TestSupport::ScopedEnvironment xdgDataHome{"XDG_DATA_HOME", dataHome.path().string()};
};

// That cache, with a loopback server as the model download base.
class ModelCacheTest : public testing::Test, protected PrivateModelCache {
protected:
    LoopbackHTTPServer server;
    TestSupport::ScopedEnvironment modelBase{"QEL_MODEL_BASE_URL", server.baseURL()};
};
