#include "Error.h"

namespace orvscene {

namespace {

std::string Where(const std::string& file, const std::string& place)
{
    if (file.empty())
        return place.empty() ? std::string() : place + ": ";
    return file + (place.empty() ? std::string() : ":" + place) + ": ";
}

} // namespace

Error::Error(const std::string& f, long l, const std::string& r, int s)
    : std::runtime_error(Where(f, l > 0 ? std::to_string(l) : std::string()) + r), file(f), line(l), reason(r),
      status(s)
{
}

Error::Error(const std::string& f, const std::string& i, const std::string& r, int s)
    : std::runtime_error((f.empty() ? std::string() : f + ": ") + (i.empty() ? std::string() : i + ": ") + r),
      file(f), item(i), reason(r), status(s)
{
}

} // namespace orvscene
