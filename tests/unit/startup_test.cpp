// The agent's start-up decisions, recorded step by step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/shell/startup.h"

namespace {

class recording_startup final : public startup_os {
 public:
  std::vector<std::string> steps;
  bool still_running = false;
  os_handle window = reinterpret_cast<os_handle>(0x42);

  void stop_running_agent(const char* c) override { steps.push_back(std::string("stop ") + c); }
  bool window_of_class_exists(const char* c) override {
    steps.push_back(std::string("find ") + c);
    return still_running;
  }
  void record_instance() override { steps.push_back("instance"); }
  void set_normal_priority() override { steps.push_back("priority"); }
  void register_window_class(const char* c) override { steps.push_back(std::string("class ") + c); }
  os_handle create_agent_window(const char* c) override {
    steps.push_back(std::string("window ") + c);
    return window;
  }
  void add_tray_icon(os_handle, const char* tip) override { steps.push_back(std::string("tray ") + tip); }
  int run_message_loop() override {
    steps.push_back("loop");
    return 0;
  }
};

TEST(Startup, StopsEveryAgentThenRunsAsTheOnlyOne) {
  recording_startup os;
  EXPECT_EQ(agent_start(os, "Quorvane Windows Agent"), 0);
  std::vector<std::string> expected = {
      "stop Orvik Print Agent", "stop Orvik Windows Agent", "stop Quorvane Windows Agent",
      "find Quorvane Windows Agent", "instance", "priority", "class Quorvane Windows Agent",
      "window Quorvane Windows Agent", "tray Quorvane Windows Agent", "loop"};
  EXPECT_EQ(os.steps, expected);
}

TEST(Startup, EndsAtOnceWhenTheRunningAgentStays) {
  recording_startup os;
  os.still_running = true;
  EXPECT_EQ(agent_start(os, "Orvik Windows Agent"), 0);
  EXPECT_EQ(os.steps.back(), "find Orvik Windows Agent") << "nothing is created or changed";
}

TEST(Startup, FailsWhenTheWindowCannotBeMade) {
  recording_startup os;
  os.window = nullptr;
  EXPECT_EQ(agent_start(os, "Orvik Windows Agent"), exit_no_window);
  EXPECT_NE(exit_no_window, 0);
  EXPECT_EQ(os.steps.back(), "window Orvik Windows Agent") << "no tray icon, no message loop";
}

}  // namespace
