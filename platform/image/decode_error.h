#pragma once

#include "platform/errors/errors.h"

namespace image {

// A picture that cannot be decoded: an unreadable file, a format no reader knows, damaged or
// truncated data, or a picture larger than the decoding limit.
class DecodeError : public errors::Error {
public:
    using Error::Error;
};

}  // namespace image
