#pragma once

// A prefix tree of sequences (vocabulary texts as their characters) that
// finds every inserted sequence a text starts with in one walk as long as the
// longest match. Elements compare exactly: for texts, by their bytes, as the
// vocabulary's id table does, so every match has an id.

#include "Tokenizers/TextMap.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

namespace Tokenizers {

template <class T>
struct TrieKeyHash : std::hash<T> {
};
template <>
struct TrieKeyHash<std::string> : TextHash {
};

template <class T>
struct TrieNode {
    bool isLeaf = false;
    std::unordered_map<T, std::unique_ptr<TrieNode>, TrieKeyHash<T>, std::equal_to<>> children;
};

template <class T>
class Trie {
public:
    // An empty sequence marks the root, which no search reports.
    template <class Sequence>
    void insert(const Sequence& sequence)
    {
        TrieNode<T>* node = &root_;
        for (const auto& element : sequence) {
            auto found = node->children.find(element);
            if (found == node->children.end())
                found = node->children.emplace(T(element), std::make_unique<TrieNode<T>>()).first;
            node = found->second.get();
        }
        node->isLeaf = true;
    }

    template <class Sequences>
    void append(const Sequences& sequences)
    {
        for (const auto& sequence : sequences)
            insert(sequence);
    }

    const TrieNode<T>& root() const { return root_; }

private:
    TrieNode<T> root_;
};

// The inserted sequences that `text` starts with, shortest first, each given
// by its length in elements.
template <class T, class Element>
class LeavesWithCommonPrefixIterator {
public:
    LeavesWithCommonPrefixIterator(const TrieNode<T>& root, std::span<const Element> text) : node_(&root), text_(text)
    {
    }

    std::optional<std::size_t> next()
    {
        while (node_ && consumed_ < text_.size()) {
            const auto found = node_->children.find(text_[consumed_++]);
            node_ = found == node_->children.end() ? nullptr : found->second.get();
            if (node_ && node_->isLeaf)
                return consumed_;
        }
        return std::nullopt;
    }

private:
    const TrieNode<T>* node_;
    std::span<const Element> text_;
    std::size_t consumed_ = 0;
};

} // namespace Tokenizers
