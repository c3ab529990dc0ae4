#include "DataBuf.h"

#include <cstdlib>

DataBuf::DataBuf()
{
    setg(nullptr, nullptr, nullptr);
}

DataBuf::DataBuf(char* d, unsigned long len)
    : d_(d)
{
    if (d)
        setg(d, d, d + len);
    else
        setg(nullptr, nullptr, nullptr);
}

DataBuf::~DataBuf()
{
    std::free(d_);
}

DataBuf::pos_type DataBuf::seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which)
{
    if (!(which & std::ios_base::in))
        return pos_type(off_type(-1));
    off_type base = 0;
    if (dir == std::ios_base::cur)
        base = gptr() - eback();
    else if (dir == std::ios_base::end)
        base = egptr() - eback();
    const off_type target = base + off;
    if (target < 0 || target > egptr() - eback())
        return pos_type(off_type(-1));
    setg(eback(), eback() + target, egptr());
    return pos_type(target);
}

DataBuf::pos_type DataBuf::seekpos(pos_type pos, std::ios_base::openmode which)
{
    return seekoff(off_type(pos), std::ios_base::beg, which);
}
