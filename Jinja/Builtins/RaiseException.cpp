#include "Jinja/Builtins/Globals.h"
#include "Jinja/Builtins/TemplateException.h"
#include "Jinja/Runtime/ArgumentBinding.h"

namespace Jinja::Globals {

Value raiseException(std::span<const Value> arguments, const KeywordArguments& keywordArguments)
{
    static const Parameter parameters[] = {{"message", Value::null()}};
    const Value message = resolveCallArguments(arguments, keywordArguments, parameters)[0];
    if (message.isString())
        throw TemplateException(message.asString().utf8());
    throw TemplateException();
}

} // namespace Jinja::Globals
