#pragma once

#include <istream>

class DataBuf;

// An input stream over a DataBuf that it does not own (the buffer may be null and attached
// later with rdbuf()). Handed to the connector's setBlob.
class BinaryStream : public std::istream {
public:
    explicit BinaryStream(DataBuf* buf = nullptr);
    ~BinaryStream() override;
};
