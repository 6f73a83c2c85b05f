// The signal analyzer's radix-2 FFT, in place on single-precision records.
//
// Forward and unnormalised: X(k) = sum over n of x(n) e^(-i 2 pi n k / N),
// natural-order input and output, N = 2^order. Arithmetic runs in extended
// precision and each stored value is rounded to float, as the records are
// kept. The butterflies walk the stages with decimation in frequency and the
// result is put back in natural order by a bit-reversal swap at the end.
#pragma once

namespace korvel {

// Reverses the low `bits` bits of `value`.
unsigned BitReverse(unsigned value, int bits);

// Transforms real/imag (each 2^order long) in place.
void Fft(float* real, float* imag, int order);

}  // namespace korvel
