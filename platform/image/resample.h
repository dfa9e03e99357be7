#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>

namespace image {

// The cubic convolution kernel of Catmull and Rom (a = -0.5), radius 2.
double catmullRom(double x);

// Resamples a 24-bit picture (QImage::Format_RGB888) to exactly size with the separable
// Catmull-Rom filter. When the picture shrinks, the kernel is stretched by the reduction
// (its support widens with it), so fine detail is averaged away instead of aliasing. extent
// is how many of src's pixels the picture spans on each axis: src's own size when empty;
// a little less when the last row or column of a picture decoded at a reduced scale covers
// only part of a pixel. Large pictures are shared out over several threads in row bands.
// Throws errors::Error when there is no memory for the result.
QImage resampleCubic(const QImage& src, QSize size, QSizeF extent = {});

// The most threads that resampleCubic, called on this thread, shares a picture out over; 0,
// the default, lets it choose by the work. A thread that is itself one of a pool of workers
// sets 1, so that the pool does not start threads of its own. The result is the same.
void limitResampleThreadsOfThisThread(int threads);

}  // namespace image
