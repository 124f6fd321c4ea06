// Throughput of the text layout against a device that only counts, beside a
// plain line-splitting pass over the same bytes, and the heap the layout
// takes for a job.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <random>
#include <string>

#include "agent/channel/channel_os.h"
#include "agent/print/print_device.h"
#include "agent/print/print_os.h"
#include "agent/print/text_layout.h"

// ---- a counting device: characters of 8 units, a page of 80 of them ----

static constexpr int32_t char_width = 8;
static uint64_t lines_drawn = 0;
static uint64_t pages_started = 0;

void device_set_text_mapping(os_handle) {}
int32_t device_font_height(os_handle) { return 50; }
int32_t device_width(os_handle) { return left_margin + right_margin + 80 * char_width; }
int32_t device_height(os_handle) { return 3300; }
bool device_start_document(os_handle, const char*, const char*) { return true; }
void device_start_page(os_handle) { pages_started++; }
void device_end_page(os_handle) {}
void device_end_document(os_handle) {}
void device_draw_text(os_handle, int32_t, int32_t, const char*, int32_t) { lines_drawn++; }
int32_t device_fit_count(os_handle, const char*, int32_t count, int32_t max_extent) {
  int32_t fit = max_extent / char_width;
  return fit < count ? fit : count;
}

// ---- the file: a text in memory ----

static const std::string* file_text = nullptr;
static size_t file_position = 0;

uint32_t print_os_read_file(os_handle, uint8_t* buffer, uint32_t count) {
  size_t left = file_text->size() - file_position;
  size_t n = left < count ? left : count;
  memcpy(buffer, file_text->data() + file_position, n);
  file_position += n;
  return uint32_t(n);
}

// ---- global memory, counted ----

static uint64_t buffer_allocations = 0;
static uint64_t buffer_bytes = 0;
// The handle is the memory itself: the benchmark adds no heap of its own.
os_handle os_global_alloc(uint32_t size) {
  buffer_allocations++;
  buffer_bytes += size;
  return malloc(size);
}
void* os_global_lock(os_handle memory) { return memory; }
void os_global_unlock(os_handle) {}
void os_global_free(os_handle memory) { free(memory); }

// ---- operator new, counted while a job runs ----
// The replacements pair malloc with free themselves; gcc can't see that
// once they are inlined into code that uses new and delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

static bool counting_new = false;
static uint64_t new_calls = 0;
static uint64_t new_bytes = 0;

void* operator new(size_t size) {
  if (counting_new) {
    new_calls++;
    new_bytes += size;
  }
  if (void* p = malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }

// ---- the text: lines of words, some longer than the page, some past 400 ----

static std::string make_text(size_t bytes) {
  std::mt19937 random(7);
  std::string text;
  text.reserve(bytes + 1024);
  while (text.size() < bytes) {
    int words = int(random() % 24);
    if (random() % 50 == 0) words = 120;  // a paragraph on one line
    for (int w = 0; w < words; w++) {
      int length = 1 + int(random() % 9);
      for (int i = 0; i < length; i++) text += char('a' + random() % 26);
      text += ' ';
    }
    text += "\r\n";
  }
  text.resize(bytes);
  return text;
}

static const std::string& ten_megabytes() {
  static const std::string text = make_text(10u << 20);
  return text;
}

static void run_job(const std::string& text) {
  file_text = &text;
  file_position = 0;
  print_text(reinterpret_cast<os_handle>(1), reinterpret_cast<os_handle>(2), "bench");
}

static void layout_10mb(benchmark::State& state) {
  const std::string& text = ten_megabytes();
  for (auto _ : state) {
    run_job(text);
    benchmark::DoNotOptimize(lines_drawn);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(layout_10mb)->Unit(benchmark::kMillisecond);

// The floor: finding the line ends and nothing else.
static void split_only_10mb(benchmark::State& state) {
  const std::string& text = ten_megabytes();
  for (auto _ : state) {
    uint64_t lines = 0;
    const char* at = text.data();
    const char* end = at + text.size();
    while (at < end) {
      const char* start = at;
      while (at < end && *at != '\r' && *at != '\n') at++;
      lines += uint64_t(at - start) + 1;
      if (at < end) at += (at + 1 < end && at[1] == (at[0] ^ 7)) ? 2 : 1;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(split_only_10mb)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's throughput for the summary.
class summary_reporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> rates;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) rates[run.benchmark_name()] = it->second.value;
    }
  }
};

static void report_heap(const char* label, size_t bytes) {
  std::string text = make_text(bytes);
  buffer_allocations = buffer_bytes = 0;
  new_calls = new_bytes = 0;
  counting_new = true;
  run_job(text);
  counting_new = false;
  printf("  %-6s file: %llu reading buffer(s) of %llu bytes in all; operator new: %llu calls, %llu bytes\n", label,
         static_cast<unsigned long long>(buffer_allocations), static_cast<unsigned long long>(buffer_bytes),
         static_cast<unsigned long long>(new_calls), static_cast<unsigned long long>(new_bytes));
}

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  summary_reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const double mb = 1024.0 * 1024.0;
  double layout = reporter.rates["layout_10mb"] / mb;
  double split = reporter.rates["split_only_10mb"] / mb;
  printf("\nText layout summary\n");
  if (layout > 0 && split > 0) {
    printf("  layout     %8.1f MB/s\n  split only %8.1f MB/s\n  layout / split = %.2f\n", layout, split,
           layout / split);
  }
  lines_drawn = pages_started = 0;
  report_heap("1 MB", 1u << 20);
  printf("         (%llu lines on %llu pages)\n", static_cast<unsigned long long>(lines_drawn),
         static_cast<unsigned long long>(pages_started));
  report_heap("10 MB", 10u << 20);
  benchmark::Shutdown();
  return 0;
}
