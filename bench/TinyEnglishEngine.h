#pragma once

#include "RadozodEri/Core/RadozodEri.h"

#include <memory>

namespace QelBench {

// The built-in engine over a tiny-sized English random model's folders and the
// English test tokenizer, loaded once per process and removed at exit; null
// without the tokenizer's fetched files.
std::shared_ptr<RadozodEri::RadozodEri> tinyEnglishEngine();

} // namespace QelBench
