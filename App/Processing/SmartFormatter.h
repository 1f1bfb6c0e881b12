#pragma once

#include "App/Processing/AppContext.h"
#include "App/Processing/InverseTextNormalizer.h"

#include <string>
#include <string_view>

namespace QEL {

// Gives an utterance its final written shape: normalised numbers and forms,
// repaired recognition artefacts, capitals, the receiving application's
// conventions and tidy spacing. Keeps no state of its own.
class SmartFormatter {
public:
    SmartFormatter() = default;
    explicit SmartFormatter(InverseTextNormalizer itn) : itn_(itn) {}

    const InverseTextNormalizer& itn() const { return itn_; }

    std::string format(std::string_view text, AppContext context) const;

private:
    std::string fixTranscriptionArtifacts(std::string text) const;
    std::string smartCapitalize(std::string text) const;
    std::string applyContextFormatting(std::string text, AppContext context) const;
    std::string cleanSpacing(std::string text) const;
    bool isAcronymOrName(std::string_view word) const;

    InverseTextNormalizer itn_;
};

} // namespace QEL
