// The agent's start-up decisions and the stop of running agents, recorded step by step against a
// fake clock and fake agent windows.
#include <gtest/gtest.h>

#include "agent/shell/startup.h"

namespace {

constexpr int never = -1;
const char* const first = "Orvik Windows Agent";

// ends_ms: how long its window takes to go after its WM_DESTROY, or never; its process ends
// lingers_ms later.
struct running_agent { std::string class_name; int ends_ms, lingers_ms = 0, told_at = never; };
struct recording_startup final : startup_os, agent_stop_os {
  std::string steps;
  std::vector<running_agent> running;
  uint32_t clock = 0;
  bool lock_free = true;
  int windows_refused = 0, window_calls = 0;  // calls refused before one is made; never: all
  int held = 0;  // processes held

  void step(const std::string& s) { steps += (steps.empty() ? "" : ", ") + s; }
  void* find_agent_window(const char* c) override {
    for (size_t i = 0; i < running.size(); i++) {
      const running_agent& a = running[i];
      bool ended = a.told_at != never && a.ends_ms != never && int(clock) - a.told_at >= a.ends_ms;
      if (a.class_name == c && !ended) return reinterpret_cast<void*>(i + 1);
    }
    return nullptr;
  }
  void post_destroy(void* w) override {
    running_agent& a = running[reinterpret_cast<uintptr_t>(w) - 1];
    a.told_at = int(clock);
    step("post " + a.class_name);
  }
  void* hold_process(void* w) override { return ++held, w; }
  bool process_ended(void* w) override {
    const running_agent& a = running[reinterpret_cast<uintptr_t>(w) - 1];
    return int(clock) - a.told_at >= a.ends_ms + a.lingers_ms;
  }
  void release_process(void*) override { --held; }
  void sleep_ms(uint32_t ms) override { clock += ms; }
  uint32_t tick_ms() override { return clock + 0xFFFFFF00u; }  // wraps during the wait
  bool lock_startup(uint32_t wait_ms) override {
    EXPECT_GE(wait_ms, 3 * agent_stop_wait_ms) << "outlasts a start that waits for every class";
    step(lock_free ? "lock" : "lock refused");
    return lock_free;
  }
  void unlock_startup() override { step("unlock"); }
  void record_instance() override { step("instance"); }
  void set_normal_priority() override {}
  void register_window_class(const char*) override {}
  os_handle create_agent_window(const char* c) override {
    if (window_calls++ < windows_refused || windows_refused == never) return nullptr;
    return step(std::string("window ") + c), reinterpret_cast<os_handle>(0x42);
  }
  void add_tray_icon(os_handle, const char* tip) override { step(std::string("tray ") + tip); }
  int run_message_loop() override { return step("loop"), 0; }
};

// Each running agent is told once and waited for until it has ended, or for the bound; one that
// stays makes the start end. A window refused for a moment is asked for again, for a bound.
TEST(Startup, ReplacesRunningAgentsUnderTheLockOrEndsWhenOneStays) {
  const std::string window = "instance, window Orvik Windows Agent", run = window +
      ", tray Orvik Windows Agent, unlock, loop", told = "lock, post Orvik Windows Agent, ";
  const struct { std::vector<running_agent> running; bool lock_free; int windows_refused, exit_code;
                 uint32_t waited_ms; std::string steps; } rows[] = {
      {{}, true, 0, 0, 0, "lock, " + run},
      {{{"Quorvane Windows Agent", 300}, {"Orvik Print Agent", never}, {first, 1500}}, true, 0, 0,
       agent_stop_wait_ms + 1500 + 300,  // slow to end: longer than any fixed half second
       "lock, post Orvik Print Agent, post Orvik Windows Agent, post Quorvane Windows Agent, " +
           run},
      {{{first, 200}, {first, 300}}, true, 0, 0, 500, told + "post Orvik Windows Agent, " + run},
      {{{first, 200, 900}}, true, 0, 0, 1100, told + run},  // its file is in use until it ends
      {{{first, never}}, true, 0, 0, agent_stop_wait_ms, told + "unlock"},
      {{}, false, 0, 0, 0, "lock refused, " + window + ", tray Orvik Windows Agent, loop"},
      {{}, true, 2, 0, 2 * window_retry_pause_ms, "lock, " + run},
      {{}, true, never, exit_no_window, window_retry_ms, "lock, instance, unlock"}};
  for (const auto& r : rows) {
    recording_startup os;
    os.running = r.running;
    os.lock_free = r.lock_free;
    os.windows_refused = r.windows_refused;
    EXPECT_EQ(agent_start(os, os, first), r.exit_code) << r.steps;
    EXPECT_EQ(os.steps, r.steps);
    EXPECT_GE(os.clock, r.waited_ms) << r.steps;
    EXPECT_LT(os.clock, r.waited_ms + agent_stop_poll_ms) << r.steps;
    EXPECT_EQ(os.held, 0) << "every process held is let go";
  }
}

}  // namespace
