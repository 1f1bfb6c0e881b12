#pragma once

// ICU access to UTF-8 text in place, so that every index ICU reports is a byte
// offset into the caller's string. Internal to Platform/Text.

#include <string_view>

#include <unicode/utext.h>

namespace Platform::detail {

class UTF8Text {
public:
    explicit UTF8Text(std::string_view text) {
        UErrorCode status = U_ZERO_ERROR;
        text_ = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    }
    ~UTF8Text() { utext_close(text_); }
    UTF8Text(const UTF8Text&) = delete;
    UTF8Text& operator=(const UTF8Text&) = delete;

    UText* get() const { return text_; }

private:
    UText* text_ = nullptr;
};

} // namespace Platform::detail
