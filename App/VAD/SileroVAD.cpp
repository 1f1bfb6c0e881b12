#include "App/VAD/SileroVAD.h"

#include <system_error>

namespace QEL {

SileroVADError::SileroVADError(Kind kind, const std::string& description)
    : std::runtime_error(description), kind_(kind)
{
}

SileroVADError SileroVADError::missingOutput(const std::string& tensorName)
{
    return {Kind::missingOutput, "Missing output tensor: " + tensorName};
}

SileroVADError SileroVADError::modelNotFound(const std::string& path)
{
    return {Kind::modelNotFound, "Silero VAD model not found at: " + path};
}

SileroVADError SileroVADError::onnxRuntimeUnavailable()
{
    return {Kind::onnxRuntimeUnavailable, "ONNX Runtime not available — using EnergyVAD"};
}

SileroVADError SileroVADError::sessionNotInitialized()
{
    return {Kind::sessionNotInitialized, "ONNX session not initialized"};
}

SileroVAD::SileroVAD(const std::string&, float, int)
{
    throw SileroVADError::onnxRuntimeUnavailable();
}

std::optional<std::string> SileroVAD::findModelPath()
{
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return findModelPath(program.parent_path());
}

std::optional<std::string> SileroVAD::findModelPath(const std::filesystem::path& programFolder)
{
    const std::filesystem::path fileName = "silero_vad.onnx";
    std::filesystem::path fourUp = programFolder;
    for (int level = 0; level < 4; ++level)
        fourUp = fourUp.parent_path();
    const std::filesystem::path candidates[] = {
        programFolder / fileName,
        programFolder.parent_path() / "Resources" / fileName,
        fourUp / "Resources" / fileName,
    };
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate.string();
    }
    return std::nullopt;
}

} // namespace QEL
