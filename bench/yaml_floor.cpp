// The floor of the benchmark: the time libyaml alone needs to read a schema's view documents into
// parser events, with no records built. Whatever orvane spends beyond this is its own work.
//
// Usage: yaml_floor BUNDLE [SECONDS]
//   BUNDLE holds the documents of one schema separated by NUL bytes. One pass parses every
//   document once. Passes are timed in batches of at least a millisecond for about SECONDS
//   (default 0.5); the program prints one JSON object with the median time of one pass. Times are
//   the thread's CPU time, so that time spent descheduled on a busy machine is not counted.
//   SECONDS of 0 runs exactly one pass (for instruction counting under callgrind).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "yaml_events.h"

namespace {

// The calling thread's CPU time, as a std::chrono clock.
struct ThreadClock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<ThreadClock>;
  static constexpr bool is_steady = true;
  static time_point now() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return time_point(std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec));
  }
};

using Clock = ThreadClock;

std::vector<std::string> read_bundle(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(std::string("cannot open ") + path);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> documents;
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    if (end > start) documents.emplace_back(all, start, end - start);
    start = end + 1;
  }
  return documents;
}

// One pass over every document; the event count keeps the work observable. Kept out of line so
// that callgrind can count exactly one pass (--toggle-collect on this function).
[[gnu::noinline]] std::size_t parse_all(const std::vector<std::string>& documents) {
  std::size_t events = 0;
  for (const auto& document : documents) events += bench::parse_events(document);
  return events;
}

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Median of the per-pass times of batches run for about `budget` seconds.
double median_pass_seconds(const std::vector<std::string>& documents, double budget,
                           std::size_t& passes) {
  auto probe = Clock::now();
  parse_all(documents);
  double one = std::max(seconds_since(probe), 1e-7);
  std::size_t batch = std::max<std::size_t>(1, static_cast<std::size_t>(1e-3 / one));
  std::vector<double> per_pass;
  auto begin = Clock::now();
  passes = 0;
  do {
    auto start = Clock::now();
    for (std::size_t i = 0; i < batch; ++i) parse_all(documents);
    per_pass.push_back(seconds_since(start) / static_cast<double>(batch));
    passes += batch;
  } while (seconds_since(begin) < budget || per_pass.size() < 5);
  std::sort(per_pass.begin(), per_pass.end());
  return per_pass[per_pass.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s BUNDLE [SECONDS]\n", argv[0]);
    return 2;
  }
  try {
    auto documents = read_bundle(argv[1]);
    double budget = argc == 3 ? std::strtod(argv[2], nullptr) : 0.5;
    std::size_t bytes = 0;
    for (const auto& document : documents) bytes += document.size();
    std::size_t events = parse_all(documents);
    std::ostringstream out;
    out << "{\"documents\": " << documents.size() << ", \"bytes\": " << bytes
        << ", \"events\": " << events;
    if (budget > 0) {
      std::size_t passes = 0;
      double median = median_pass_seconds(documents, budget, passes);
      out << ", \"passes\": " << passes << ", \"median_pass_seconds\": " << median;
    }
    out << "}\n";
    std::fputs(out.str().c_str(), stdout);
    return 0;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "yaml_floor: %s\n", failure.what());
    return 1;
  }
}
