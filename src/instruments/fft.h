// The signal analyzer's radix-2 FFT, in place on single-precision records.
//
// Forward and unnormalised: X(k) = sum over n of x(n) e^(-i 2 pi n k / N),
// natural-order input and output, N = 2^order. Arithmetic runs in extended
// precision and each stored value is rounded to float, as the records are
// kept. The stages run with half-spans N/2, N/4, ..., 1, each group's twiddle
// indexed by its bit-reversed group number; the spectrum comes out in
// bit-reversed order and a final swap puts it back in natural order.
#pragma once

namespace korvel {

// Reverses the low `bits` bits of `value`.
unsigned BitReverse(unsigned value, int bits);

// Transforms real/imag (each 2^order long) in place.
void Fft(float* real, float* imag, int order);

}  // namespace korvel
