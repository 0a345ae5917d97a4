#include "fourier_transform.h"

#include <cmath>
#include <utility>

namespace {

struct Twiddle {
    double wr;
    double wi;
    double cr;  // cos(theta) - 1, formed as -2 sin^2(theta/2) for accuracy
    double ci;  // sin(theta)

    // The trigonometric recurrence: (wr, wi) turns by theta.
    void Advance()
    {
        const double w0 = wr;
        wr = wr * cr - wi * ci + wr;
        wi = wi * cr + w0 * ci + wi;
    }
};

Twiddle StartTwiddle(double theta)
{
    const double half = std::sin(0.5 * theta);
    return {1.0, 0.0, -2.0 * half * half, std::sin(theta)};
}

void BitReverse(float* data, int n)
{
    const int floats = 2 * n;
    int j = 0;
    for (int i = 0; i < floats; i += 2) {
        if (j > i) {
            std::swap(data[j], data[i]);
            std::swap(data[j + 1], data[i + 1]);
        }
        int m = n;
        while (m >= 2 && j >= m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }
}

}  // namespace

void FourierTransform(float* data, int n, int sign)
{
    const int floats = 2 * n;
    BitReverse(data, n);
    for (int len = 2; floats > len;) {
        const int step = 2 * len;
        Twiddle w = StartTwiddle(6.28318530717959 / (len * sign));
        for (int m = 1; m < len; m += 2) {
            for (int i = m - 1; i < floats; i += step) {
                const int j = i + len;
                const float tr = static_cast<float>(w.wr * data[j] - w.wi * data[j + 1]);
                const float ti = static_cast<float>(w.wr * data[j + 1] + w.wi * data[j]);
                data[j] = data[i] - tr;
                data[j + 1] = data[i + 1] - ti;
                data[i] += tr;
                data[i + 1] += ti;
            }
            w.Advance();
        }
        len = step;
    }
}

void RealFourierTransform(float* data, int n, int direction)
{
    const bool forward = direction == 1;
    const double c1 = 0.5;
    const double c2 = forward ? -0.5 : 0.5;
    const double theta = forward ? 3.141592653589793 / n : -(3.141592653589793 / n);
    if (forward)
        FourierTransform(data, n, 1);

    Twiddle w = StartTwiddle(theta);
    w.wr = 1.0 + w.cr;
    w.wi = w.ci;
    // Bin k = i - 1 is paired with bin n - k.
    for (int i = 2; i <= n / 2; ++i) {
        const int p1 = 2 * i - 2;
        const int p2 = p1 + 1;
        const int p3 = 2 * n + 1 - p2;
        const int p4 = p3 + 1;
        const double ar = c1 * (static_cast<double>(data[p1]) + data[p3]);
        const double ai = c1 * (static_cast<double>(data[p2]) - data[p4]);
        const double br = -c2 * (static_cast<double>(data[p2]) + data[p4]);
        const double bi = c2 * (static_cast<double>(data[p1]) - data[p3]);
        data[p1] = static_cast<float>(ar + w.wr * br - w.wi * bi);
        data[p2] = static_cast<float>(ai + w.wr * bi + w.wi * br);
        data[p3] = static_cast<float>(ar - w.wr * br + w.wi * bi);
        data[p4] = static_cast<float>(-ai + w.wr * bi + w.wi * br);
        w.Advance();
    }

    // DC and half the sampling rate share the first complex value.
    const double ar = data[0];
    if (forward) {
        data[0] = static_cast<float>(ar + data[1]);
        data[1] = static_cast<float>(ar - data[1]);
    } else {
        data[0] = static_cast<float>(c1 * (ar + data[1]));
        data[1] = static_cast<float>(c1 * (ar - data[1]));
        FourierTransform(data, n, -1);
    }
}
