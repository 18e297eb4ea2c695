// The game's sounds, made from sine waves and a fixed noise sequence: the same every start.
#include "sound/SoundSynth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A small deterministic noise source, -1..1.
class Noise {
public:
    double next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / double(1 << 24) * 2.0 - 1.0;
    }

private:
    uint32_t state_ = 12345u;
};

int16_t toSample(double value)
{
    return static_cast<int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
}

Samples ofLength(double seconds)
{
    return Samples(static_cast<size_t>(seconds * kSoundRate));
}

}  // namespace

Samples synthEngine()
{
    // Ten periods of the fundamental: the loop joins without a click.
    const int period = static_cast<int>(kSoundRate / kEngineFundamental);  // 441 samples
    Samples engine(static_cast<size_t>(period) * 10);
    for (size_t i = 0; i < engine.size(); ++i) {
        const double t = static_cast<double>(i) / kSoundRate;
        double value = 0.0;
        for (int harmonic = 1; harmonic <= 11; ++harmonic)
            value +=
                std::sin(2.0 * kPi * kEngineFundamental * harmonic * t + harmonic * 0.7) / harmonic;
        engine[i] = toSample(value * 0.45);
    }
    return engine;
}

Samples synthCrash()
{
    Samples crash = ofLength(0.6);
    Noise noise;
    double low = 0.0;
    for (size_t i = 0; i < crash.size(); ++i) {
        const double t = static_cast<double>(i) / kSoundRate;
        low += 0.25 * (noise.next() - low);  // a duller noise for the rattle
        const double thump = std::sin(2.0 * kPi * 70.0 * t) * std::exp(-t * 18.0);
        crash[i] = toSample((0.8 * low * 2.5 + thump) * std::exp(-t * 7.0));
    }
    return crash;
}

Samples synthSplash()
{
    Samples splash = ofLength(0.8);
    Noise noise;
    double previous = 0.0;
    for (size_t i = 0; i < splash.size(); ++i) {
        const double t = static_cast<double>(i) / kSoundRate;
        const double white = noise.next();
        const double hiss = white - previous;  // the high part of the noise
        previous = white;
        const double swell = std::min(1.0, t / 0.08) * std::exp(-t * 4.0);
        const double bubbles = 0.5 + 0.5 * std::sin(2.0 * kPi * 9.0 * t);
        splash[i] = toSample(hiss * swell * (0.4 + 0.3 * bubbles));
    }
    return splash;
}

Samples synthExplosion()
{
    Samples explosion = ofLength(2.5);
    Noise noise;
    double low = 0.0, lower = 0.0;
    for (size_t i = 0; i < explosion.size(); ++i) {
        const double t = static_cast<double>(i) / kSoundRate;
        low += 0.08 * (noise.next() - low);
        lower += 0.08 * (low - lower);
        const double boom = std::sin(2.0 * kPi * 45.0 * t) * std::exp(-t * 5.0);
        explosion[i] = toSample((lower * 6.0 + boom) * std::exp(-t * 1.6));
    }
    return explosion;
}

Samples synthChime()
{
    constexpr double kE6 = 1318.51, kA6 = 1760.0;
    const size_t half = kSoundRate / 4;
    Samples chime(2 * half);
    for (size_t i = 0; i < chime.size(); ++i) {
        const bool first = i < half;
        const double t = static_cast<double>(first ? i : i - half) / kSoundRate;
        const double tone = std::sin(2.0 * kPi * (first ? kE6 : kA6) * t);
        chime[i] = toSample(0.35 * tone * std::exp(-t * 9.0));
    }
    return chime;
}
