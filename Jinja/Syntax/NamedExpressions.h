#pragma once

// Expressions under names, in the order the names were first written; writing
// a name again replaces its expression in place. Keyword arguments keep this
// order because binding reports the first offending name as written.

#include "Jinja/Text/String.h"

#include <utility>
#include <vector>

namespace Jinja {

template <class Expression>
class NamedExpressions {
public:
    using Entry = std::pair<String, Expression>;

    void assign(String name, Expression expression)
    {
        for (Entry& entry : entries_)
            if (entry.first == name) {
                entry.second = std::move(expression);
                return;
            }
        entries_.emplace_back(std::move(name), std::move(expression));
    }

    const Expression* find(const String& name) const
    {
        for (const Entry& entry : entries_)
            if (entry.first == name)
                return &entry.second;
        return nullptr;
    }

    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

    bool operator==(const NamedExpressions&) const = default;

private:
    std::vector<Entry> entries_;
};

} // namespace Jinja
