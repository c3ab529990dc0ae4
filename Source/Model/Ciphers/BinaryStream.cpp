#include "BinaryStream.h"

#include "DataBuf.h"

BinaryStream::BinaryStream(DataBuf* buf)
    : std::istream(buf)
{
}

BinaryStream::~BinaryStream() = default;
