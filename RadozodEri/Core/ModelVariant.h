#pragma once

#include "Platform/EnumNames.h"

#include <string_view>

namespace RadozodEri {

// The model sizes the engine runs.
enum class ModelVariant { tiny, tinyEn, base, baseEn, small, smallEn, medium, mediumEn, large, largev2, largev3 };

inline constexpr Platform::EnumNames<ModelVariant, 11> modelVariantNames {{{
    {ModelVariant::tiny, "tiny"},
    {ModelVariant::tinyEn, "tiny.en"},
    {ModelVariant::base, "base"},
    {ModelVariant::baseEn, "base.en"},
    {ModelVariant::small, "small"},
    {ModelVariant::smallEn, "small.en"},
    {ModelVariant::medium, "medium"},
    {ModelVariant::mediumEn, "medium.en"},
    {ModelVariant::large, "large"},
    {ModelVariant::largev2, "large-v2"},
    {ModelVariant::largev3, "large-v3"},
}}};

constexpr std::string_view description(ModelVariant variant) { return modelVariantNames.name(variant); }

// The English-only variants are the ".en" ones.
constexpr bool isMultilingual(ModelVariant variant) { return !description(variant).ends_with(".en"); }

} // namespace RadozodEri
