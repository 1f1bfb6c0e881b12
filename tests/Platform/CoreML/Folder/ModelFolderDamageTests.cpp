#include "Platform/CoreML/Kinds/KindFeatures.h"
#include "Platform/CoreML/MLModel.h"
#include "Platform/CoreML/MLModelError.h"
#include "Platform/ErrorCauses.h"
#include "Platform/JSON/JSONCoding.h"
#include "Platform/JSON/JSONDocument.h"

#include "Support/ModelFolderFixtures.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <random>

using namespace Platform::CoreML;
using namespace TestSupport;
namespace fs = std::filesystem;

namespace {

// A scripted decoder with two weights, as a test writes it.
fs::path writeGoodFolder(const fs::path& parent)
{
    QelTools::ModelFolderBuilder builder(scriptedDecoderManifest(DecoderGeometry{}, {3, 5}));
    const std::vector<std::byte> halves(12, std::byte{0x3c}), floats(16, std::byte{0});
    builder.addWeight("decoder.ln.weight", MLMultiArrayDataType::float16, {2, 3}, halves);
    builder.addWeight("decoder.ln.bias", MLMultiArrayDataType::float32, {4}, floats);
    const auto folder = parent / "TextDecoder.mlmodelc";
    builder.write(folder);
    return folder;
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Changes the folder's description as a JSON document.
std::function<void(const fs::path&)> editDescription(std::function<void(rapidjson::Document&)> edit)
{
    return [edit](const fs::path& folder) {
        auto document = Platform::JSON::parseDocument(fileContents(folder / "model.json"));
        edit(document);
        writeText(folder / "model.json", Platform::JSON::serialize(document));
    };
}

rapidjson::Value& input(rapidjson::Document& document, rapidjson::SizeType index)
{
    return document["inputs"][index];
}

rapidjson::Value shape(rapidjson::Document& document, std::initializer_list<std::int64_t> extents)
{
    rapidjson::Value list(rapidjson::kArrayType);
    for (std::int64_t extent : extents)
        list.PushBack(extent, document.GetAllocator());
    return list;
}

} // namespace

TEST(ModelFolder, EveryDamagedFolderIsRefusedWithAReason)
{
    using Doc = rapidjson::Document;
    const struct {
        const char* what;
        std::function<void(const fs::path&)> damage;
        const char* error;
    } cases[] = {
        {"no folder", [](const fs::path& f) { fs::remove_all(f); }, "it is not a folder"},
        {"a file, not a folder", [](const fs::path& f) { fs::remove_all(f); writeText(f, "x"); }, "it is not a folder"},
        {"a model of another runtime",
         [](const fs::path& f) {
             fs::remove(f / "model.json");
             fs::create_directory(f / "weights");
             writeText(f / "weights" / "weight.bin", "....");
         },
         "has no model.json, so it is not a model folder in this runtime's format"},
        {"not JSON", [](const fs::path& f) { writeText(f / "model.json", "{\"format\": "); }, "model.json is not JSON"},
        {"another format", editDescription([](Doc& d) { d["format"].SetString("other-format"); }), "format is 'other-format'"},
        {"a newer version", editDescription([](Doc& d) { d["formatVersion"].SetInt(2); }), "formatVersion is 2"},
        {"an unknown kind", editDescription([](Doc& d) { d["kind"].SetString("mystery"); }),
         "kind 'mystery' is not one this runtime computes (MelSpectrogram, AudioEncoder, TextDecoder, TextDecoderContextPrefill, scripted-decoder, shape-only)"},
        {"no inputs", editDescription([](Doc& d) { d.RemoveMember("inputs"); }), "inputs is missing"},
        {"a negative extent", editDescription([](Doc& d) { input(d, 2)["shape"][1].SetInt(-4); }),
         "inputs[2].shape[1] is -4"},
        {"nine dimensions", editDescription([](Doc& d) { input(d, 0)["shape"] = shape(d, {1, 1, 1, 1, 1, 1, 1, 1, 1}); }),
         "inputs[0].shape has 9 dimensions"},
        {"an absurd size", editDescription([](Doc& d) { input(d, 0)["shape"] = shape(d, {65536, 65536, 65536}); }),
         "inputs[0].shape holds more than"},
        {"an unknown element type", editDescription([](Doc& d) { input(d, 0)["dataType"].SetString("int8"); }),
         "inputs[0].dataType is 'int8', not an element type"},
        {"a feature of unknown type", editDescription([](Doc& d) { input(d, 0)["type"].SetString("image"); }),
         "inputs[0].type is 'image'"},
        {"an input named twice", editDescription([](Doc& d) { input(d, 1)["name"].SetString("input_ids"); }),
         "inputs names 'input_ids' twice"},
        {"a feature without a name", editDescription([](Doc& d) { input(d, 1).RemoveMember("name"); }),
         "inputs[1].name is missing"},
        {"hyper-parameters not an object", editDescription([](Doc& d) { d["hyperParameters"].SetArray(); }),
         "hyperParameters is not an object"},
        {"an alignment head that is no pair", editDescription([](Doc& d) { d["alignmentHeads"][0].PopBack(); }),
         "alignmentHeads[0] is not a pair"},
        {"a misaligned weight", editDescription([](Doc& d) { d["weights"][1]["offset"].SetInt(66); }),
         "weights[1].offset is not a multiple of its element size"},
        {"a weight past the end", [](const fs::path& f) { fs::resize_file(f / "weights.bin", 70); },
         "weight 'decoder.ln.bias' (16 bytes at offset 64) lies past the end of weights.bin (70 bytes)"},
        {"an absurd weight offset", editDescription([](Doc& d) { d["weights"][0]["offset"].SetInt64(INT64_MAX - 7); }),
         "lies past the end of weights.bin"},
        {"no weights file", [](const fs::path& f) { fs::remove(f / "weights.bin"); }, "weights.bin: No such file"},
        {"a folder for the weights file",
         [](const fs::path& f) { fs::remove(f / "weights.bin"); fs::create_directory(f / "weights.bin"); },
         "it is a folder, not a regular file"},
        {"a script token outside the vocabulary", editDescription([](Doc& d) { d["hyperParameters"]["tokens"][1].SetInt(16); }),
         "hyperParameters.tokens[1] is 16; it must lie between 0 and 15"},
        {"a decoder without logits", editDescription([](Doc& d) { d["outputs"].Erase(d["outputs"].Begin()); }),
         "the output 'logits' is missing"},
        {"a token that is not an integer", editDescription([](Doc& d) { input(d, 0)["dataType"].SetString("float16"); }),
         "the input 'input_ids' is not an array of int32"},
        {"a decoder cache of another length", editDescription([](Doc& d) { input(d, 3)["shape"][3].SetInt(9); }),
         "the input 'value_cache' has shape [1, 4, 1, 9], expected [1, 4, 1, 8]"},
    };
    for (const auto& c : cases) {
        TemporaryFolder parent;
        const auto folder = writeGoodFolder(parent.path());
        c.damage(folder);
        try {
            MLModel::load(folder);
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const MLModelError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("Cannot load the model at " + folder.string() + ": "), std::string::npos) << message;
            EXPECT_NE(message.find(c.error), std::string::npos) << c.what << ": " << message;
        }
    }
    TemporaryFolder parent;
    EXPECT_NO_THROW(MLModel::load(writeGoodFolder(parent.path())));
}

// Seeded damage to the description and the weights file: every folder loads
// and predicts, or is refused with a model error; nothing crashes or reads out
// of bounds (the sanitizers watch).
TEST(ModelFolder, SurvivesRandomDamage)
{
    TemporaryFolder parent;
    const auto folder = writeGoodFolder(parent.path());
    const std::string description = fileContents(folder / "model.json");
    const std::string weights = fileContents(folder / "weights.bin");
    std::vector<size_t> digits; // most damage keeps the text JSON and changes a number
    for (size_t i = 0; i < description.size(); ++i)
        if (std::isdigit(static_cast<unsigned char>(description[i])))
            digits.push_back(i);
    const std::string likely = "0123456789-[]{}\",:.e ";
    std::mt19937_64 random(2024);
    int refused = 0;
    for (int iteration = 0; iteration < 300; ++iteration) {
        std::string damaged = description;
        std::string damagedWeights = weights;
        const int flips = 1 + static_cast<int>(random() % 3);
        for (int f = 0; f < flips; ++f) {
            switch (random() % 6) {
            case 0:
            case 1: damaged[digits[random() % digits.size()]] = "0123456789-"[random() % 11]; break;
            case 2: damaged[random() % damaged.size()] = likely[random() % likely.size()]; break;
            case 3: damaged[random() % damaged.size()] = static_cast<char>(random() & 0xff); break;
            case 4: damaged.erase(random() % damaged.size(), 1 + random() % 8); break;
            default: damagedWeights.resize(random() % (weights.size() + 64)); break;
            }
        }
        if (random() % 16 == 0)
            damaged.resize(random() % damaged.size());
        writeText(folder / "model.json", damaged);
        writeText(folder / "weights.bin", damagedWeights);
        try {
            const auto model = MLModel::load(folder);
            const MLDictionaryFeatureProvider inputs(KindFeatures::zeroValues(model->modelDescription().inputDescriptionsByName));
            model->prediction(inputs);
        } catch (const MLModelError& error) {
            ++refused;
            EXPECT_GT(std::strlen(error.what()), 40u) << error.what();
        }
    }
    EXPECT_GT(refused, 100);
    EXPECT_LT(refused, 290); // some damage leaves a usable folder
}

// The model error keeps the description's fault inside it: a decoding error
// whose coding path names the place as every JSON reader of the tree does.
TEST(ModelFolder, AFaultInTheDescriptionKeepsItsPlaceAsACodingPath)
{
    using Doc = rapidjson::Document;
    const struct {
        const char* what;
        std::function<void(rapidjson::Document&)> edit;
        Platform::JSON::CodingPath path;
        const char* message;
    } cases[] = {
        {"a negative extent",
         [](Doc& d) { input(d, 2)["shape"][1].SetInt(-4); },
         {"inputs", "2", "shape", "1"},
         "model.json: inputs[2].shape[1] is -4; it must lie between 1 and 2147483647"},
        {"a missing name",
         [](Doc& d) { input(d, 1).RemoveMember("name"); },
         {"inputs", "1", "name"},
         "model.json: inputs[1].name is missing"},
        {"no object at all", [](Doc& d) { d.SetArray(); }, {}, "model.json: The description is not an object"},
        {"scripted tokens past the vocabulary",
         [](Doc& d) { d["hyperParameters"]["tokens"][0].SetInt(1 << 20); },
         {"hyperParameters", "tokens", "0"},
         "hyperParameters.tokens[0] is 1048576"},
    };
    for (const auto& c : cases) {
        TemporaryFolder parent;
        const auto folder = writeGoodFolder(parent.path());
        editDescription(c.edit)(folder);
        try {
            MLModel::load(folder);
            ADD_FAILURE() << c.what << ": loaded";
        } catch (const MLModelError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.what << ": " << error.what();
            std::optional<Platform::JSON::CodingPath> path;
            Platform::forEachCause(error, [&](const std::exception& cause) {
                if (const auto* decoding = dynamic_cast<const Platform::JSON::DecodingError*>(&cause))
                    path = decoding->codingPath();
            });
            EXPECT_EQ(path, c.path) << c.what;
        }
    }
}
