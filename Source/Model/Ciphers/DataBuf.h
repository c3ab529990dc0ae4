#pragma once

#include <streambuf>

// A stream buffer whose get area is one owned malloc buffer [d, d + len): the way enciphered
// bytes reach the connector's setBlob (through a BinaryStream). It frees the buffer with free()
// when destroyed, so it must outlive the statement that reads it.
class DataBuf : public std::streambuf {
public:
    DataBuf();                               // no buffer: an empty stream
    DataBuf(char* d, unsigned long len);     // takes d over
    ~DataBuf() override;

    DataBuf(const DataBuf&) = delete;
    DataBuf& operator=(const DataBuf&) = delete;

protected:
    // Positioning within the get area, so that tellg/seekg measure and rewind a value.
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override;
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override;

private:
    char* d_ = nullptr;
};
