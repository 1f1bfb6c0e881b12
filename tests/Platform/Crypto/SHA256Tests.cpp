#include "Platform/Crypto/SHA256.h"

#include <gtest/gtest.h>

using Platform::SHA256;

TEST(SHA256Test, GivesTheKnownDigestsWhateverTheBytesArePiecedInto)
{
    EXPECT_EQ(Platform::hexString(SHA256::digest("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string text = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    const std::string expected = "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1";
    EXPECT_EQ(Platform::hexString(SHA256::digest(text)), expected);
    for (size_t split : {size_t{0}, size_t{1}, size_t{31}, text.size()}) {
        SHA256 hash;
        hash.update(text.substr(0, split));
        hash.update(text.substr(split));
        EXPECT_EQ(hash.finishHex(), expected) << "split at " << split;
    }
}

TEST(SHA256Test, StartsAfreshAfterFinishing)
{
    SHA256 hash;
    hash.update("abc");
    const std::string first = hash.finishHex();
    hash.update("abc");
    EXPECT_EQ(hash.finishHex(), first);
    EXPECT_EQ(first, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}
