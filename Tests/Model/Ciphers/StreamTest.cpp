#include "Model/Ciphers/BinaryStream.h"
#include "Model/Ciphers/CDBEncrypter.h"
#include "Model/Ciphers/DataBuf.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

namespace {

char* mallocCopy(const std::string& bytes)
{
    char* d = static_cast<char*>(std::malloc(bytes.size() ? bytes.size() : 1));
    std::memcpy(d, bytes.data(), bytes.size());
    return d;
}

std::string readAll(std::istream& in)
{
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(DataBufStream, DeliversExactlyItsBytesThenEnd)
{
    for (const std::string& bytes : {std::string(), std::string("x"), std::string("a\0b\0\xff", 5), std::string(5000, 'q')}) {
        DataBuf buf(mallocCopy(bytes), bytes.size());
        BinaryStream stream(&buf);
        std::string got(bytes.size() + 10, '?');
        stream.read(got.data(), static_cast<std::streamsize>(got.size()));
        EXPECT_EQ(stream.gcount(), static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(stream.eof());
        EXPECT_EQ(got.substr(0, bytes.size()), bytes);
    }
}

TEST(DataBufStream, EmptyAndDetachedBuffersReadAsEmpty)
{
    DataBuf empty;
    BinaryStream stream(&empty);
    EXPECT_EQ(readAll(stream), "");
    EXPECT_EQ(stream.get(), std::char_traits<char>::eof());

    // A stream without a buffer, attached later.
    BinaryStream late(nullptr);
    EXPECT_FALSE(late.good());
    DataBuf buf(mallocCopy("later"), 5);
    late.rdbuf(&buf);
    EXPECT_TRUE(late.good());
    EXPECT_EQ(readAll(late), "later");
}

TEST(DataBufStream, SeeksWithinItsBytes)
{
    DataBuf buf(mallocCopy("0123456789"), 10);
    BinaryStream stream(&buf);
    stream.seekg(0, std::ios::end);
    EXPECT_EQ(stream.tellg(), std::streampos(10));
    stream.seekg(3, std::ios::beg);
    EXPECT_EQ(stream.get(), '3');
    stream.seekg(2, std::ios::cur);
    EXPECT_EQ(stream.get(), '6');
    stream.seekg(11, std::ios::beg);
    EXPECT_TRUE(stream.fail());
}

TEST(DataBufStream, CarriesCiphertextToAReaderAndFreesIt)
{
    // The store's write path: the cipher's malloc result goes into a DataBuf it now owns (a
    // leak or double free here shows under AddressSanitizer).
    CDBEncrypter cipher("key");
    int len = 21;
    char* ct = cipher.Encrypt("a value of 21 bytes..", &len);
    ASSERT_EQ(len, 32);
    const std::string expected(ct, len);
    auto buf = std::make_unique<DataBuf>(ct, static_cast<unsigned long>(len));
    auto stream = std::make_unique<BinaryStream>(buf.get());
    const std::string sent = readAll(*stream);
    stream.reset();  // the stream leaves its buffer alone
    EXPECT_EQ(sent, expected);
    buf.reset();
}
