#include "platform/trace.h"

#include <chrono>
#include <cstdio>
#include <memory>

namespace dv {

namespace {

struct Closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
std::unique_ptr<std::FILE, Closer> trace_file;

}  // namespace

void OpenTrace(const std::string& path) {
  // Binary: lines end in a line feed on Windows too.
  trace_file.reset(std::fopen(path.c_str(), "ab"));
}

void Trace(const std::string& event) {
  if (!trace_file) return;
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  std::fprintf(trace_file.get(), "%lld %s\n", static_cast<long long>(ms), event.c_str());
  std::fflush(trace_file.get());
}

}  // namespace dv
