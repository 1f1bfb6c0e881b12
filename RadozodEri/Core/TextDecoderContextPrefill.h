#pragma once

#include "RadozodEri/Core/WhisperMLModel.h"

namespace RadozodEri {

// Holds the optional "TextDecoderContextPrefill" model, which gives the key
// and value caches of a window's start (inputs "task" and "language",
// outputs "key_cache_prefill" and "value_cache_prefill") in one call.
class TextDecoderContextPrefill : public WhisperMLModel {};

} // namespace RadozodEri
