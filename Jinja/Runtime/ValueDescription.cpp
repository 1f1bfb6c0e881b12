#include "Jinja/Runtime/Limits.h"
#include "Jinja/Runtime/NumberText.h"
#include "Jinja/Runtime/Value.h"

namespace Jinja {

namespace {

// Containers check the text's size as it grows: an array may hold the same
// large string many times over.
void appendDescription(const Value& value, std::string& text);

// Strings inside arrays are quoted, at any depth; nothing is escaped.
void appendElement(const Value& element, std::string& text)
{
    if (element.isString()) {
        text += '\'';
        text += element.asString().utf8();
        text += '\'';
    } else {
        appendDescription(element, text);
    }
}

void appendDescription(const Value& value, std::string& text)
{
    if (value.isString()) {
        text += value.asString().utf8();
    } else if (value.isArray()) {
        text += '[';
        bool first = true;
        for (const Value& element : value.asArray()) {
            checkStringSize(text.size());
            if (!first)
                text += ", ";
            first = false;
            appendElement(element, text);
        }
        text += ']';
    } else if (value.isObject()) {
        text += '{';
        bool first = true;
        for (const auto& [key, member] : value.asObject()) {
            checkStringSize(text.size());
            if (!first)
                text += ", ";
            first = false;
            text += key.utf8();
            text += ": ";
            appendDescription(member, text);
        }
        text += '}';
    } else if (value.isBoolean()) {
        text += value.asBoolean() ? "true" : "false";
    } else if (value.isInt()) {
        text += std::to_string(value.asInt());
    } else if (value.isDouble()) {
        text += doubleText(value.asDouble());
    } else if (value.isFunction()) {
        text += "[Function]";
    } else if (value.isMacro()) {
        text += "[Macro " + value.asMacro().name.utf8() + "]";
    }
}

} // namespace

std::string Value::description() const
{
    if (isString())
        return asString().utf8();
    std::string text;
    appendDescription(*this, text);
    return text;
}

} // namespace Jinja
