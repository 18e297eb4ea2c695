// What the benchmarks that launch programs share: running one to its end for what it prints,
// running one for a while with SwapCounter loaded for the moments of its swaps, and the figures of
// several runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Launch {
    std::vector<std::string> arguments;  // the program first
    std::string display;                 // its DISPLAY; empty: this program's own
    std::string folder;                  // where it runs; empty: here
    bool quietErrors = false;            // its standard error to /dev/null
    bool noDisplay = false;              // DISPLAY unset: no X server at all
};

// Runs it to its end; what it wrote on its standard output goes into `output`. True when it
// exited with status 0.
bool outputOf(const Launch& launch, std::string& output);

// What a paced run measured: the moment of each swap (nanoseconds) over the measured time, the
// time itself, and the processor time it took (all threads, of one core).
struct PacedRun {
    std::vector<std::int64_t> moments;
    double seconds = 0.0;
    double cpuPercent = 0.0;
};
// Launches it with SwapCounter loaded (its standard output to /dev/null), lets it warm up, then
// measures it, and stops it. False when it showed no frame while warming up, or ended by itself.
bool runPaced(const Launch& launch, double warmUpSeconds, double measuredSeconds, PacedRun& run);

double median(std::vector<double> values);
double spread(const std::vector<double>& values);  // (largest - smallest) / median, per cent
