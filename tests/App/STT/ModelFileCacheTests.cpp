#include "App/STT/ModelFileCache.h"
#include "App/STT/STTEngineError.h"

#include "App/Doubles/ModelCacheFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using QEL::ensureModelFile;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

namespace {

class ModelFileCacheTest : public ModelCacheTest {
protected:
    std::string describeFailure(const std::string& ggmlName)
    {
        try {
            ensureModelFile(ggmlName, logger);
        } catch (const std::exception& error) {
            return error.what();
        }
        return "no error";
    }

    // Whether the cache folder holds a temporary download.
    bool holdsADownload() const
    {
        for (const auto& file : cachedFiles())
            if (file.string().find(".download-") != std::string::npos)
                return true;
        return false;
    }

    Platform::Logger logger{"com.tolvek.qel", "QelCore"};
};

} // namespace

// Each of these would once have been moved into place, and every later load
// would have found "Model already cached" and failed for ever.
TEST_F(ModelFileCacheTest, ABrokenDownloadNeverEntersTheCacheAndTheNextLoadDownloadsAgain)
{
    const std::string& model = modelBytes();
    struct Case {
        const char* what;
        LoopbackHTTPServer::Response response;
        const char* description;
    };
    const Case cases[] = {
        {"an error page served as a success", {.body = "<html><body>Service unavailable</body></html>"},
         "Transcription failed: Model download error"},
        {"a body shorter than its declared length",
         {.body = model.substr(0, model.size() / 2), .contentLength = model.size()}, "Download of"},
        {"a body cut short without a length", {.body = model.substr(0, model.size() - 64), .declareLength = false},
         "Transcription failed: Model download error"},
        {"a redirect loop", {.status = 302, .extraHeaders = "Location: /ggml-tiny.en.bin\r\n"}, "redirects"},
        {"a redirect to a local file", {.status = 302, .extraHeaders = "Location: file:///etc/passwd\r\n"},
         "Download of"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        server.respond("/ggml-tiny.en.bin", c.response);
        EXPECT_THAT(describeFailure("ggml-tiny.en.bin"), HasSubstr(c.description));
        EXPECT_THAT(cachedFiles(), IsEmpty());

        server.respond("/ggml-tiny.en.bin", {.body = model});
        EXPECT_EQ(ensureModelFile("ggml-tiny.en.bin", logger), cacheFolder() / "ggml-tiny.en.bin");
        EXPECT_EQ(TestSupport::fileContents(cacheFolder() / "ggml-tiny.en.bin"), model);
        std::filesystem::remove(cacheFolder() / "ggml-tiny.en.bin");
    }
    // The loop was cut off after ten redirects.
    const auto requested = server.requestedPaths();
    EXPECT_EQ(std::count(requested.begin(), requested.end(), "/ggml-tiny.en.bin"), 5 * 2 + 10);
}

TEST_F(ModelFileCacheTest, OnlyHttpAndHttpsAddressesAreFetched)
{
    TestSupport::TemporaryFolder elsewhere;
    std::ofstream(elsewhere / "ggml-tiny.en.bin", std::ios::binary) << modelBytes();
    TestSupport::ScopedEnvironment localBase{"QEL_MODEL_BASE_URL", "file://" + elsewhere.path().string()};
    EXPECT_THAT(describeFailure("ggml-tiny.en.bin"), HasSubstr("Download of file://"));
    EXPECT_THAT(cachedFiles(), IsEmpty());
}

TEST_F(ModelFileCacheTest, LoadsOfOneMissingModelDownloadItOnce)
{
    server.respond("/ggml-base.bin", {.body = modelBytes(), .delay = std::chrono::milliseconds(300)});
    {
        std::vector<std::jthread> loads;
        for (int i = 0; i < 3; ++i)
            loads.emplace_back([&] { EXPECT_EQ(ensureModelFile("ggml-base.bin", logger), cacheFolder() / "ggml-base.bin"); });
    }
    EXPECT_THAT(server.requestedPaths(), ElementsAre("/ggml-base.bin"));
    EXPECT_THAT(cachedFiles(), ElementsAre("ggml-base.bin"));
}

// A process killed in the middle of a download leaves its temporary file; the
// next use of the cache removes it, but never one that a live download holds.
TEST_F(ModelFileCacheTest, ADownloadLeftByAKilledProcessIsRemovedAtTheNextUse)
{
    const std::string& model = modelBytes();
    server.respond("/ggml-tiny.en.bin",
                   {.body = model.substr(0, model.size() / 2), .contentLength = model.size(), .holdOpen = true});
    putInCache("ggml-base.bin", model);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            ensureModelFile("ggml-tiny.en.bin", logger);
        } catch (...) {
        }
        _exit(0);
    }
    for (int waited = 0; waited < 2000 && server.requestedPaths().empty(); ++waited)
        usleep(10000);
    ASSERT_TRUE(holdsADownload());

    ensureModelFile("ggml-base.bin", logger);
    EXPECT_TRUE(holdsADownload()) << "a live download was taken for stale";

    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(holdsADownload());
    ensureModelFile("ggml-base.bin", logger);
    EXPECT_THAT(cachedFiles(), ElementsAre("ggml-base.bin"));
}
