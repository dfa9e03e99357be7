#pragma once

#include <QSize>

#include "platform/errors/errors.h"

namespace image {

// A picture that cannot be decoded: an unreadable file, a format no reader knows, a drawing,
// damaged or truncated data, or a picture larger than the decoding limits.
class DecodeError : public errors::Error {
public:
    using Error::Error;
};

// A picture that would take more memory to decode than the budget allows.
class OverBudget : public DecodeError {
public:
    using DecodeError::DecodeError;
};

// Refuses a picture of more than maxPixels pixels.
inline void checkPixels(QSize size, qint64 maxPixels) {
    if (qint64(size.width()) * size.height() > maxPixels)
        throw DecodeError(QStringLiteral("The picture of %1 x %2 pixels is larger than %3 pixels")
                              .arg(size.width())
                              .arg(size.height())
                              .arg(maxPixels));
}

// Refuses a decode that would take more than budget bytes of memory.
inline void checkMemory(QSize size, qint64 bytes, qint64 budget) {
    constexpr qint64 kMB = 1024 * 1024;
    if (bytes > budget)
        throw OverBudget(
            QStringLiteral("The picture of %1 x %2 pixels needs %3 MB to decode, more than the "
                           "%4 MB that decoding a picture may take")
                .arg(size.width())
                .arg(size.height())
                .arg((bytes + kMB - 1) / kMB)
                .arg(budget / kMB));
}

// No memory could be had for the pixels of a picture of this size.
[[noreturn]] inline void noMemoryFor(QSize size) {
    throw DecodeError(QStringLiteral("Not enough memory for a picture of %1 x %2 pixels")
                          .arg(size.width())
                          .arg(size.height()));
}

}  // namespace image
