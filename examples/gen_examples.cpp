// Writes the bundled sample data into the folder given as the only argument:
//   signals.csv  200,000 lines: time and four signals (a sine, a noisy decaying
//                oscillation, a step and a sparse spike train), comma-separated;
//   signals.txt  2,000 lines of two signals, tab-separated.
// Fixed-seed noise, so every build writes the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// xorshift64*: the same sequence on every platform.
class Noise
{
public:
    double Uniform()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return double((m_state * 0x2545F4914F6CDD1Dull) >> 11) / double(1ull << 53);
    }
    double Gaussian() { return Uniform() + Uniform() + Uniform() + Uniform() - 2.0; }

private:
    uint64_t m_state = 0x853C49E6748FEA9Bull;
};

const double kPi = 3.14159265358979323846;

bool WriteCsv(const std::string& path)
{
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return false;
    Noise noise;
    std::fputs("time,sine,decay,step,spikes\n", out);
    const int lines = 200000;
    const double dt = 0.0005; // 100 s at 2 kHz
    for (int i = 0; i < lines; ++i) {
        const double t = i * dt;
        const double sine = std::sin(2 * kPi * 0.5 * t);
        const double decay =
            2.0 * std::exp(-t / 25.0) * std::cos(2 * kPi * 3.0 * t) + 0.05 * noise.Gaussian();
        const double step = t < 40.0 ? 0.0 : (t < 70.0 ? 1.5 : -0.5);
        const double spikes = noise.Uniform() < 0.0005 ? 1.0 + 4.0 * noise.Uniform() : 0.0;
        std::fprintf(out, "%.4f,%.6g,%.6g,%g,%.4g\n", t, sine, decay, step, spikes);
    }
    return std::fclose(out) == 0;
}

bool WriteTxt(const std::string& path)
{
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return false;
    Noise noise;
    std::fputs("x\tsquare\tramp\n", out);
    for (int i = 0; i < 2000; ++i) {
        const double x = i * 0.01;
        const double square = std::fmod(x, 4.0) < 2.0 ? 1.0 : -1.0;
        std::fprintf(out, "%.2f\t%g\t%.5g\n", x, square,
                     std::fmod(x, 5.0) + 0.02 * noise.Gaussian());
    }
    return std::fclose(out) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    if (!WriteCsv(dir + "/signals.csv") || !WriteTxt(dir + "/signals.txt")) {
        std::perror(dir.c_str());
        return 1;
    }
    return 0;
}
